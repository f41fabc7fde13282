#include "platform/sim/state.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/text.h"

namespace sim {

namespace {

struct State {
  std::filesystem::path sandbox;
  std::vector<std::string> calls;
  struct Fault {
    std::int32_t code;
    int times;
    int after;
  };
  std::map<std::string, Fault> faults;
};

// Never destroyed: objects with static storage of the tests (an image
// buffer held by a static cache, say) still make their calls at exit.
State& S() {
  static State* s = new State;
  return *s;
}

}  // namespace

void Reset(const std::filesystem::path& sandbox) {
  S() = State{};
  S().sandbox = sandbox;
  std::filesystem::remove_all(sandbox);
  std::filesystem::create_directories(sandbox / "C");
  detail::ResetRegistry();
  detail::ResetShell();
  detail::ResetToolkit();
  detail::ResetFiles();
  detail::ResetGdi();
  detail::ResetClipboard();
  detail::ResetClock();
}

std::filesystem::path HostPath(std::string_view windowsPath) { return HostPath(plat::FromAnsi(windowsPath)); }

std::filesystem::path HostPath(std::u16string_view windowsPath) {
  std::string p = plat::ToUtf8(windowsPath);
  std::replace(p.begin(), p.end(), '\\', '/');
  std::filesystem::path out = S().sandbox;
  if (p.size() >= 2 && p[1] == ':') {
    out /= std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(p[0]))));
    p = p.substr(2);
  } else {
    out /= "C";  // a relative or rooted path without a drive: drive C
  }
  while (!p.empty() && p.front() == '/') p.erase(p.begin());
  return p.empty() ? out : out / p;
}

const std::vector<std::string>& Calls() { return S().calls; }
void ClearCalls() { S().calls.clear(); }

std::size_t CountCalls(std::string_view functionName) {
  return static_cast<std::size_t>(std::count_if(S().calls.begin(), S().calls.end(), [&](const std::string& c) {
    return c.compare(0, functionName.size(), functionName) == 0 &&
           (c.size() == functionName.size() || c[functionName.size()] == '(');
  }));
}

void InjectFault(const std::string& functionName, std::int32_t code, int times, int after) {
  S().faults[functionName] = {code, times, after};
}

namespace detail {

void Log(std::string entry) { S().calls.push_back(std::move(entry)); }

bool Fault(const std::string& functionName, std::int32_t* code) {
  auto it = S().faults.find(functionName);
  if (it == S().faults.end() || it->second.times <= 0) return false;
  if (it->second.after > 0) {
    --it->second.after;
    return false;
  }
  --it->second.times;
  if (code) *code = it->second.code;
  return true;
}

bool WriteProtected(const std::filesystem::path& host) {
  if (!StandardUser()) return false;
  const std::filesystem::path target = host.lexically_normal();
  for (const char16_t* folder : {u"C:\\Program Files", u"C:\\Program Files (x86)", u"C:\\Windows"}) {
    const std::filesystem::path base = HostPath(folder).lexically_normal();
    if (std::mismatch(base.begin(), base.end(), target.begin(), target.end()).first == base.end()) return true;
  }
  return false;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace detail
}  // namespace sim
