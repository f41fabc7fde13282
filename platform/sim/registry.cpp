// Simulated registry: keys that exist or not (only RegCreateKeyExW makes
// one for the program; a test can take away one that every installation
// has), values with their type and exact stored bytes, and Windows' error
// codes. As in Windows, names travel as UTF-16 and are
// compared without regard to case, and a text value is stored as the bytes
// the wide calls hand over: UTF-16 LE, terminated only if the writer
// counted its NUL.
#include <map>
#include <optional>

#include "platform/api.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

// Windows compares key and value names after mapping each character to one
// case; this covers the scripts the tests use (Latin, Greek, Cyrillic).
char16_t Fold(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F))
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

std::u16string Fold(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = Fold(c);
  return out;
}

std::u16string Text(const char16_t* s) { return s ? std::u16string(s) : std::u16string(); }

struct Key {
  std::map<std::u16string, RawValue> values;  // by folded name
};

struct OpenKey {
  std::u16string path;  // folded, "root\sub\key"
  bool isHklm;
  std::uint32_t access;
};

struct Registry {
  std::map<std::u16string, Key> keys;
  std::map<Hkey, OpenKey> open;
  Hkey next = plat::HandleOf<Hkey>(0x1000);
  bool standardUser = false;
};

Registry& R() {
  static Registry r;
  return r;
}

std::optional<std::u16string> RootName(Hkey root) {
  if (root == plat::kHKeyLocalMachine) return std::u16string(u"hklm");
  if (root == plat::kHKeyCurrentUser) return std::u16string(u"hkcu");
  return std::nullopt;
}

std::u16string Join(const std::u16string& base, std::u16string_view sub) {
  std::u16string s = Fold(sub);
  while (!s.empty() && s.back() == u'\\') s.pop_back();
  return s.empty() ? base : base + u"\\" + s;
}

// The path of a predefined root or of a key opened before, and whether it
// lies under HKEY_LOCAL_MACHINE; false for a handle that is neither.
bool KeyPathOf(Hkey key, std::u16string& path, bool& isHklm) {
  if (auto name = RootName(key)) {
    path = *name;
    isHklm = key == plat::kHKeyLocalMachine;
    return true;
  }
  auto it = R().open.find(key);
  if (it == R().open.end()) return false;
  path = it->second.path;
  isHklm = it->second.isHklm;
  return true;
}

std::optional<std::u16string> KeyPath(Hkey root, const std::string& path) {
  auto name = RootName(root);
  if (!name) return std::nullopt;
  return Join(*name, plat::FromUtf8(path));
}

std::string Show(const char16_t* s) { return s ? plat::ToUtf8(s) : std::string("(null)"); }

constexpr std::uint32_t kWriteAccess = 0x2 | 0x4 | 0x20;  // set value, create sub-key, create link

}  // namespace

namespace detail {
void ResetRegistry() {
  R() = Registry{};
  // Keys every Windows installation has.
  CreateKey(plat::kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  CreateKey(plat::kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}
}  // namespace detail

void SetStandardUser(bool on) { R().standardUser = on; }

void CreateKey(Hkey root, const std::string& path) {
  auto full = KeyPath(root, path);
  if (!full) return;
  // Create every ancestor too, as a real key path has them.
  for (std::size_t pos = full->find(u'\\'); pos != std::u16string::npos; pos = full->find(u'\\', pos + 1))
    R().keys[full->substr(0, pos)];
  R().keys[*full];
}

void DeleteKey(Hkey root, const std::string& path) {
  auto full = KeyPath(root, path);
  if (!full) return;
  const std::u16string below = *full + u"\\";
  for (auto it = R().keys.begin(); it != R().keys.end();)
    it = it->first == *full || it->first.compare(0, below.size(), below) == 0 ? R().keys.erase(it) : std::next(it);
}

bool KeyExists(Hkey root, const std::string& path) {
  auto full = KeyPath(root, path);
  return full && R().keys.count(*full) != 0;
}

void SetRawValue(Hkey root, const std::string& path, const std::string& name, RawValue v) {
  CreateKey(root, path);
  R().keys[*KeyPath(root, path)].values[Fold(plat::FromUtf8(name))] = std::move(v);
}

std::optional<RawValue> GetRawValue(Hkey root, const std::string& path, const std::string& name) {
  auto full = KeyPath(root, path);
  if (!full) return std::nullopt;
  auto k = R().keys.find(*full);
  if (k == R().keys.end()) return std::nullopt;
  auto v = k->second.values.find(Fold(plat::FromUtf8(name)));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second;
}

std::size_t OpenKeyHandles() { return R().open.size(); }

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

namespace {

sim::Key* Lookup(Hkey h, std::uint32_t needAccess, std::int32_t* status) {
  auto& r = sim::R();
  auto it = r.open.find(h);
  if (it == r.open.end()) {
    *status = kErrorInvalidHandle;
    return nullptr;
  }
  if ((it->second.access & needAccess) != needAccess) {
    *status = kErrorAccessDenied;
    return nullptr;
  }
  auto k = r.keys.find(it->second.path);
  if (k == r.keys.end()) {
    *status = kErrorInvalidHandle;  // the key was deleted while open
    return nullptr;
  }
  *status = 0;
  return &k->second;
}

// The full path of hKey's subkey, for a call that opens it, or the call's
// failure.
std::int32_t SubKeyPath(const char* call, Hkey hKey, const char16_t* lpSubKey, std::u16string* path, bool* isHklm) {
  std::u16string base;
  if (!sim::KeyPathOf(hKey, base, *isHklm)) return kErrorInvalidHandle;
  std::int32_t code;
  if (Fault(call, &code)) return code;
  *path = sim::Join(base, sim::Text(lpSubKey));
  return kErrorSuccess;
}

// A new handle to the key at path.
Hkey NewHandle(const std::u16string& path, bool isHklm, std::uint32_t access) {
  auto& r = sim::R();
  const Hkey h = r.next;
  r.next = plat::HandleOf<Hkey>(plat::RawHandle(h) + 4);
  r.open[h] = sim::OpenKey{path, isHklm, access};
  return h;
}

}  // namespace

std::int32_t RegOpenKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t ulOptions, std::uint32_t samDesired,
                           Hkey* phkResult) {
  Log("RegOpenKeyExW(" + std::to_string(plat::RawHandle(hKey) & 0xFFFFFFFFu) + "," + sim::Show(lpSubKey) + "," +
      std::to_string(ulOptions) + "," + std::to_string(samDesired) + ")");
  if (!phkResult) return 87;
  *phkResult = {};
  auto& r = sim::R();
  std::u16string path;
  bool isHklm = false;
  if (const std::int32_t status = SubKeyPath("RegOpenKeyExW", hKey, lpSubKey, &path, &isHklm)) return status;
  if (!r.keys.count(path)) return kErrorFileNotFound;
  if (isHklm && r.standardUser && (samDesired & sim::kWriteAccess)) return kErrorAccessDenied;
  *phkResult = NewHandle(path, isHklm, samDesired);
  return kErrorSuccess;
}

std::int32_t RegCreateKeyExW(Hkey hKey, const char16_t* lpSubKey, std::uint32_t dwOptions, std::uint32_t samDesired,
                             Hkey* phkResult, std::uint32_t* lpdwDisposition) {
  Log("RegCreateKeyExW(" + std::to_string(plat::RawHandle(hKey) & 0xFFFFFFFFu) + "," + sim::Show(lpSubKey) + "," +
      std::to_string(dwOptions) + "," + std::to_string(samDesired) + ")");
  if (!phkResult) return 87;
  *phkResult = {};
  auto& r = sim::R();
  std::u16string path;
  bool isHklm = false;
  if (const std::int32_t status = SubKeyPath("RegCreateKeyExW", hKey, lpSubKey, &path, &isHklm)) return status;
  const bool exists = r.keys.count(path) != 0;
  if (isHklm && r.standardUser && (!exists || (samDesired & sim::kWriteAccess))) return kErrorAccessDenied;
  for (std::size_t pos = path.find(u'\\'); pos != std::u16string::npos; pos = path.find(u'\\', pos + 1))
    r.keys[path.substr(0, pos)];
  r.keys[path];
  *phkResult = NewHandle(path, isHklm, samDesired);
  if (lpdwDisposition) *lpdwDisposition = exists ? kRegOpenedExistingKey : kRegCreatedNewKey;
  return kErrorSuccess;
}

std::int32_t RegQueryValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t* lpReserved, std::uint32_t* lpType,
                              std::uint8_t* lpData, std::uint32_t* lpcbData) {
  Log("RegQueryValueExW(" + sim::Show(lpValueName) + (lpData ? ",buffer)" : ",null)"));
  if (lpReserved) return 87;
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x1, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegQueryValueExW", &code)) return code;
  auto it = key->values.find(sim::Fold(sim::Text(lpValueName)));
  if (it == key->values.end()) return kErrorFileNotFound;
  const auto& v = it->second;
  const auto size = static_cast<std::uint32_t>(v.data.size());
  if (lpType) *lpType = v.type;
  if (!lpData) {
    if (lpcbData) *lpcbData = size;
    return kErrorSuccess;
  }
  if (!lpcbData) return 87;
  if (*lpcbData < size) {
    *lpcbData = size;
    return kErrorMoreData;
  }
  std::copy(v.data.begin(), v.data.end(), lpData);
  *lpcbData = size;
  return kErrorSuccess;
}

std::int32_t RegSetValueExW(Hkey hKey, const char16_t* lpValueName, std::uint32_t Reserved, std::uint32_t dwType,
                            const std::uint8_t* lpData, std::uint32_t cbData) {
  Log("RegSetValueExW(" + sim::Show(lpValueName) + "," + std::to_string(dwType) + "," + std::to_string(cbData) + ")");
  if (Reserved) return 87;
  if (!lpData && cbData) return 998;  // ERROR_NOACCESS
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x2, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegSetValueExW", &code)) return code;
  sim::RawValue v{dwType, {}};
  if (lpData) v.data.assign(lpData, lpData + cbData);
  key->values[sim::Fold(sim::Text(lpValueName))] = std::move(v);
  return kErrorSuccess;
}

std::int32_t RegDeleteValueW(Hkey hKey, const char16_t* lpValueName) {
  Log("RegDeleteValueW(" + sim::Show(lpValueName) + ")");
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x2, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegDeleteValueW", &code)) return code;
  return key->values.erase(sim::Fold(sim::Text(lpValueName))) ? kErrorSuccess : kErrorFileNotFound;
}

std::int32_t RegCloseKey(Hkey hKey) {
  Log("RegCloseKey(" + std::to_string(plat::RawHandle(hKey)) + ")");
  if (sim::RootName(hKey)) return kErrorSuccess;
  return sim::R().open.erase(hKey) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace plat
