// The tests' machine on real Windows (or Wine): a fresh scratch folder and
// test key for each test, and raw registry values and files.
#include "tests/support/test_support.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win.h"
#include <shlobj.h>

namespace plat::testing {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
HKEY Key(Hkey h) { return win32::To<HKEY>(h); }

std::u16string& Scratch() {
  static std::u16string dir;
  return dir;
}

// Deletes a folder and everything in it.
void RemoveTree(const std::u16string& dir) {
  std::u16string pattern = dir + u"\\*";
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(pattern), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::u16string name(reinterpret_cast<const char16_t*>(fd.cFileName));
      if (name == u"." || name == u"..") continue;
      std::u16string full = dir + u"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::SetFileAttributesW(W(full), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(W(full));
      }
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(W(dir));
}

}  // namespace

void BeginTest() {
  wchar_t tmp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, tmp);
  std::u16string dir = reinterpret_cast<const char16_t*>(tmp);
  if (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  const std::string id = std::to_string(::GetCurrentProcessId());
  dir += u"\\varnel-test-" + std::u16string(id.begin(), id.end());
  RemoveTree(dir);
  ::CreateDirectoryW(W(dir), nullptr);
  Scratch() = dir;

  ::RegDeleteTreeW(HKEY_CURRENT_USER, W(TestKey()));
  HKEY k = nullptr;
  ::RegCreateKeyExW(HKEY_CURRENT_USER, W(TestKey()), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  if (k) ::RegCloseKey(k);
}

std::u16string TempDir() { return Scratch(); }
std::u16string TestKey() { return u"Software\\VarnelTests"; }

void WriteRaw(Hkey root, const std::u16string& key, const std::u16string& name, const RawValue& v) {
  HKEY k = nullptr;
  if (::RegCreateKeyExW(Key(root), W(key), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return;
  // Windows extends a text value whose last character is not NUL by one
  // character when the one after the data is NUL; a non-zero guard after
  // the bytes keeps exactly these bytes stored.
  std::vector<std::uint8_t> data(v.data);
  data.resize(data.size() + 2, 0xFF);
  ::RegSetValueExW(k, W(name), 0, v.type, data.data(), static_cast<DWORD>(v.data.size()));
  ::RegCloseKey(k);
}

std::optional<RawValue> ReadRaw(Hkey root, const std::u16string& key, const std::u16string& name) {
  HKEY k = nullptr;
  if (::RegOpenKeyExW(Key(root), W(key), 0, KEY_READ, &k) != 0) return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<RawValue> out;
  if (::RegQueryValueExW(k, W(name), nullptr, &type, nullptr, &size) == 0) {
    RawValue v{type, std::vector<std::uint8_t>(size + 1)};  // never a null buffer
    if (::RegQueryValueExW(k, W(name), nullptr, &type, v.data.data(), &size) == 0) {
      v.data.resize(size);
      out = v;
    }
  }
  ::RegCloseKey(k);
  return out;
}

bool KeyExists(Hkey root, const std::u16string& key) {
  HKEY k = nullptr;
  if (::RegOpenKeyExW(Key(root), W(key), 0, KEY_READ, &k) != 0) return false;
  ::RegCloseKey(k);
  return true;
}

bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::u16string ShortPathOf(const std::u16string& path) {
  std::vector<wchar_t> out(32768);
  const DWORD n = ::GetShortPathNameW(W(path), out.data(), static_cast<DWORD>(out.size()));
  return n && n < out.size() ? std::u16string(reinterpret_cast<const char16_t*>(out.data()), n) : std::u16string();
}

ItemList ItemListOf(const std::u16string& path) { return win32::From<ItemList>(::ILCreateFromPathW(W(path))); }

std::optional<std::string> ReadFileBytes(const std::u16string& path) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  ::CloseHandle(h);
  return out;
}

void WriteFileBytes(const std::u16string& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD n = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  ::CloseHandle(h);
}

void RemoveFolder(const std::u16string& path) { RemoveTree(path); }

void MakeFolder(const std::u16string& path) {
  // In the long-path form, one part at a time from the drive's root.
  const std::u16string full = path.compare(0, 4, u"\\\\?\\") == 0 ? path : u"\\\\?\\" + path;
  for (std::size_t at = full.find(u'\\', 7); at != std::u16string::npos; at = full.find(u'\\', at + 1))
    ::CreateDirectoryW(W(full.substr(0, at)), nullptr);
  ::CreateDirectoryW(W(full), nullptr);
}

std::string HostPath(const std::u16string& path) {
  // Wine's own export: the Unix path of a Windows one, on Wine's heap.
  using UnixFileName = char*(__cdecl*)(const wchar_t*);
  const auto unixFileName = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return {};
  char* name = unixFileName(W(path));
  if (name == nullptr) return {};
  std::string out = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return out;
}

int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments) {
  // Wine's own export: runs a Unix program with its argument vector and,
  // told to wait, returns its exit code (an error status when it could not
  // start).
  using Spawn = long(__stdcall*)(char* const*, int);
  const auto spawn = reinterpret_cast<Spawn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
  if (spawn == nullptr) return -1;
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const long status = spawn(argv.data(), 1);
  return status >= 0 && status <= 255 ? static_cast<int>(status) : -1;
}

}  // namespace plat::testing
