// The program's own facts from the running module and the process
// environment.
#include "platform/app_env.h"

#include "platform/win32/win.h"

namespace plat {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

std::u16string AppPath() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  auto slash = path.find_last_of(u'\\');
  std::u16string dir = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
  if (dir.size() == 2 && dir[1] == u':') dir += u'\\';  // a drive's root keeps its separator
  return dir;
}

std::u16string AppExeName() {
  std::u16string path(MAX_PATH, u'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()), static_cast<DWORD>(path.size()));
  path.resize(n);
  auto slash = path.find_last_of(u'\\');
  std::u16string base = slash == std::u16string::npos ? path : path.substr(slash + 1);
  auto dot = base.find_last_of(u'.');
  return dot == std::u16string::npos ? base : base.substr(0, dot);
}

std::u16string Environ(const std::u16string& name) {
  DWORD n = ::GetEnvironmentVariableW(W(name), nullptr, 0);
  if (n == 0) return {};
  std::u16string value(n, u'\0');
  n = ::GetEnvironmentVariableW(W(name), reinterpret_cast<wchar_t*>(value.data()), n);
  value.resize(n);
  return value;
}

}  // namespace plat
