// The simulated program's own facts: an exe in C:\Program Files\Varnel and
// an environment with the user's profile, both settable by the tests.
#include "platform/app_env.h"

#include <map>
#include <optional>

#include "platform/sim/state.h"

namespace sim {

namespace {

struct AppEnv {
  std::u16string appDir = u"C:\\Program Files\\Varnel";
  std::u16string exeName = u"Varnel";
  std::map<std::u16string, std::u16string> env{{u"USERPROFILE", u"C:\\Users\\user"}};
};

AppEnv& A() {
  static AppEnv a;
  return a;
}

std::u16string Upper(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return s;
}

}  // namespace

namespace detail {
void ResetAppEnv() { A() = AppEnv{}; }
}  // namespace detail

void SetApp(const std::u16string& dir, const std::u16string& exeName) {
  A().appDir = dir;
  A().exeName = exeName;
}

void SetEnv(const std::u16string& name, std::optional<std::u16string> value) {
  if (value)
    A().env[Upper(name)] = *value;
  else
    A().env.erase(Upper(name));
}

}  // namespace sim

namespace plat {

std::u16string AppPath() { return sim::A().appDir; }
std::u16string AppExeName() { return sim::A().exeName; }

std::u16string Environ(const std::u16string& name) {
  auto it = sim::A().env.find(sim::Upper(name));
  return it == sim::A().env.end() ? std::u16string() : it->second;
}

}  // namespace plat
