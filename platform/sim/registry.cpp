// Simulated registry: keys that exist or not (nothing here creates one on
// behalf of the program), values with their type and exact stored bytes,
// and Windows' error codes.
#include <map>
#include <optional>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

using detail::Lower;

struct Key {
  std::map<std::string, RawValue> values;  // by lower-case name
};

struct OpenKey {
  std::string path;  // lower-case, "root\sub\key"
  bool isHklm;
  std::uint32_t access;
};

struct Registry {
  std::map<std::string, Key> keys;
  std::map<Handle, OpenKey> open;
  Handle next = 0x1000;
  bool standardUser = false;
};

Registry& R() {
  static Registry r;
  return r;
}

std::optional<std::string> RootName(Handle root) {
  if (root == plat::kHKeyLocalMachine) return std::string("hklm");
  if (root == plat::kHKeyCurrentUser) return std::string("hkcu");
  return std::nullopt;
}

std::string Join(const std::string& base, const std::string& sub) {
  std::string s = Lower(sub);
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s.empty() ? base : base + "\\" + s;
}

std::optional<std::string> KeyPath(Handle root, const std::string& path) {
  auto name = RootName(root);
  if (!name) return std::nullopt;
  return Join(*name, path);
}

std::string Show(const char* s) { return s ? std::string(s) : std::string("(null)"); }

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

void CreateKey(Handle root, const std::string& path) {
  auto full = KeyPath(root, path);
  if (!full) return;
  // Create every ancestor too, as a real key path has them.
  for (std::size_t pos = full->find('\\'); pos != std::string::npos; pos = full->find('\\', pos + 1))
    R().keys[full->substr(0, pos)];
  R().keys[*full];
}

bool KeyExists(Handle root, const std::string& path) {
  auto full = KeyPath(root, path);
  return full && R().keys.count(*full) != 0;
}

void SetRawValue(Handle root, const std::string& path, const std::string& name, RawValue v) {
  CreateKey(root, path);
  R().keys[*KeyPath(root, path)].values[Lower(name)] = std::move(v);
}

std::optional<RawValue> GetRawValue(Handle root, const std::string& path, const std::string& name) {
  auto full = KeyPath(root, path);
  if (!full) return std::nullopt;
  auto k = R().keys.find(*full);
  if (k == R().keys.end()) return std::nullopt;
  auto v = k->second.values.find(Lower(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second;
}

std::size_t OpenKeyHandles() { return R().open.size(); }

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

namespace {

sim::Key* Lookup(Handle h, std::uint32_t needAccess, std::int32_t* status) {
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

}  // namespace

std::int32_t RegOpenKeyExA(Handle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           std::uint32_t samDesired, Handle* phkResult) {
  Log("RegOpenKeyExA(" + std::to_string(hKey & 0xFFFFFFFFu) + "," + sim::Show(lpSubKey) + "," +
      std::to_string(ulOptions) + "," + std::to_string(samDesired) + ")");
  if (!phkResult) return 87;
  *phkResult = 0;
  auto& r = sim::R();
  std::string base;
  bool isHklm = false;
  if (auto name = sim::RootName(hKey)) {
    base = *name;
    isHklm = hKey == kHKeyLocalMachine;
  } else if (auto it = r.open.find(hKey); it != r.open.end()) {
    base = it->second.path;
    isHklm = it->second.isHklm;
  } else {
    return kErrorInvalidHandle;
  }
  std::int32_t code;
  if (Fault("RegOpenKeyExA", &code)) return code;
  std::string path = sim::Join(base, lpSubKey ? lpSubKey : "");
  if (!r.keys.count(path)) return kErrorFileNotFound;
  if (isHklm && r.standardUser && (samDesired & sim::kWriteAccess)) return kErrorAccessDenied;
  Handle h = r.next;
  r.next += 4;
  r.open[h] = sim::OpenKey{path, isHklm, samDesired};
  *phkResult = h;
  return kErrorSuccess;
}

std::int32_t RegQueryValueExA(Handle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                              std::uint32_t* lpType, std::uint8_t* lpData,
                              std::uint32_t* lpcbData) {
  Log("RegQueryValueExA(" + sim::Show(lpValueName) + (lpData ? ",buffer)" : ",null)"));
  if (lpReserved) return 87;
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x1, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegQueryValueExA", &code)) return code;
  auto it = key->values.find(sim::Lower(lpValueName ? lpValueName : ""));
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

std::int32_t RegSetValueExA(Handle hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData, std::uint32_t cbData) {
  Log("RegSetValueExA(" + sim::Show(lpValueName) + "," + std::to_string(dwType) + "," +
      std::to_string(cbData) + ")");
  if (Reserved) return 87;
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x2, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegSetValueExA", &code)) return code;
  sim::RawValue v{dwType, {}};
  if (lpData) v.data.assign(lpData, lpData + cbData);
  // Windows keeps text values terminated: a text that arrives without its
  // NUL is stored with one.
  const bool text = dwType == kRegSz || dwType == kRegExpandSz || dwType == kRegMultiSz;
  if (text && !v.data.empty() && v.data.back() != 0) v.data.push_back(0);
  key->values[sim::Lower(lpValueName ? lpValueName : "")] = std::move(v);
  return kErrorSuccess;
}

std::int32_t RegDeleteValueA(Handle hKey, const char* lpValueName) {
  Log("RegDeleteValueA(" + sim::Show(lpValueName) + ")");
  std::int32_t status;
  sim::Key* key = Lookup(hKey, 0x2, &status);
  if (!key) return status;
  std::int32_t code;
  if (Fault("RegDeleteValueA", &code)) return code;
  return key->values.erase(sim::Lower(lpValueName ? lpValueName : "")) ? kErrorSuccess
                                                                          : kErrorFileNotFound;
}

std::int32_t RegCloseKey(Handle hKey) {
  Log("RegCloseKey(" + std::to_string(hKey) + ")");
  if (sim::RootName(hKey)) return kErrorSuccess;
  return sim::R().open.erase(hKey) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace plat
