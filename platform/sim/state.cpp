#include "platform/sim/state.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

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

constexpr Handle kDesktopWindow = 0x10014;
constexpr Handle kFirstWindow = 0x10010;
constexpr Handle kWindowStep = 4;
constexpr Handle kApplicationIcon = 0x20020;
constexpr Handle kSmallApplicationIcon = 0x20024;

// Never destroyed, and not cleared by Reset: see detail::NewWindow.
std::set<Handle>& Windows() {
  static auto* windows = new std::set<Handle>;
  return *windows;
}

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
  detail::ResetAppEnv();
  detail::ResetFiles();
  detail::ResetGdi();
  detail::ResetClipboard();
  detail::ResetClock();
  detail::ResetMemory();
  detail::ResetMonitors();
}

std::filesystem::path HostPath(std::u16string_view windowsPath) {
  std::u16string_view p = windowsPath;
  std::filesystem::path out = S().sandbox;
  if (p.size() >= 2 && p[1] == u':') {
    const char16_t d = p[0] >= u'a' && p[0] <= u'z' ? static_cast<char16_t>(p[0] - 32) : p[0];
    out /= std::string(1, static_cast<char>(d));
    p.remove_prefix(2);
  } else {
    out /= "C";  // a relative or rooted path without a drive: drive C
  }
  // One segment at a time: repeated separators are one, "." is nothing and
  // ".." never climbs out of the drive.
  std::vector<std::u16string_view> parts;
  while (!p.empty()) {
    const std::size_t end = p.find_first_of(u"\\/");
    const std::u16string_view part = p.substr(0, end);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    p.remove_prefix(end == std::u16string_view::npos ? p.size() : end + 1);
  }
  for (const auto& part : parts) out /= plat::ToUtf8(part);
  return out;
}

std::filesystem::path HostPath(std::string_view windowsPath) { return HostPath(plat::FromUtf8(windowsPath)); }

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

Handle DesktopWindowHandle() { return kDesktopWindow; }

Handle NewWindow() {
  Handle h = kFirstWindow;
  while (h == kDesktopWindow || Windows().count(h)) h += kWindowStep;
  Windows().insert(h);
  return h;
}

void ForgetWindow(Handle h) { Windows().erase(h); }

bool IsWindow(Handle h) { return h == kDesktopWindow || Windows().count(h) != 0; }

Handle ApplicationIcon() { return kApplicationIcon; }
Handle SmallApplicationIcon() { return kSmallApplicationIcon; }

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

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace detail
}  // namespace sim
