#include "shell/registry.h"

#include <vector>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnel {

namespace {

// A key opened for the length of one operation. The close is issued on
// every way out, also when the open failed and the handle is still 0.
class OpenedKey {
 public:
  OpenedKey(plat::Handle root, const std::u16string& subKey, std::uint32_t access = plat::kKeyAccess3F)
      : status_(plat::RegOpenKeyExA(root, plat::ToAnsi(subKey).c_str(), 0, access, &handle_)) {}
  ~OpenedKey() { plat::RegCloseKey(handle_); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  plat::Handle get() const { return handle_; }
  std::int32_t status() const { return status_; }

 private:
  plat::Handle handle_ = 0;
  std::int32_t status_;
};

}  // namespace

TaggedValue FetchValue(plat::Handle root, const std::u16string& subKey, const std::u16string& name) {
  TaggedValue value;
  OpenedKey key(root, subKey);
  if (key.status() != plat::kErrorAccessDenied) {
    ReadValueData(key.get(), name, value);
    return value;
  }
  // Refused the full access, as a standard user is under HKEY_LOCAL_MACHINE:
  // reading alone is allowed, and a value there is no less present.
  OpenedKey readable(root, subKey, plat::kKeyRead);
  ReadValueData(readable.get(), name, value);
  return value;
}

void StoreValue(plat::Handle root, const std::u16string& subKey, const std::u16string& name,
                const TaggedValue& value, std::int32_t type) {
  OpenedKey key(root, subKey);
  WriteValueData(key.get(), name, type, value);
}

void RemoveValue(plat::Handle root, const std::u16string& subKey, const std::u16string& name) {
  OpenedKey key(root, subKey);
  plat::RegDeleteValueA(key.get(), plat::ToAnsi(name).c_str());
}

std::int32_t ReadValueData(plat::Handle key, const std::u16string& name, TaggedValue& value) {
  std::int32_t status = 0;
  try {
    const std::string ansiName = plat::ToAnsi(name);
    std::uint32_t type = 0, size = 0;
    status = plat::RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size);
    if (status != 0) return status;
    if (type == plat::kRegSz) {
      // One spare byte so the buffer is never null, even for a zero-length value.
      std::vector<std::uint8_t> buffer(std::size_t{size} + 1, 0);
      std::uint32_t count = size;
      status = plat::RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, buffer.data(), &count);
      if (status == 0) {
        std::u16string text = plat::FromAnsi(
            std::string_view(reinterpret_cast<const char*>(buffer.data()), size));
        text = text.substr(0, count);
        // The count includes the terminator that Windows stores with every
        // text value; it is not part of the text.
        if (!text.empty() && text.back() == u'\0') text.pop_back();
        value = TaggedValue(text);
      } else {
        value = TaggedValue();
      }
      return status;
    }
    if (type == plat::kRegDword) {
      // Four bytes and no more: stored data longer than that fail with
      // "more data" instead of running past the integer.
      std::uint8_t bytes[4] = {0, 0, 0, 0};
      std::uint32_t count = sizeof bytes;
      status = plat::RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, bytes, &count);
      if (status == 0) {
        const std::uint32_t n = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                (static_cast<std::uint32_t>(bytes[3]) << 24);
        value = TaggedValue(static_cast<std::int32_t>(n));
      }
      return status;
    }
    return -1;
  } catch (const plat::Error&) {
    return status;
  } catch (const std::bad_alloc&) {
    return status;
  }
}

std::int32_t WriteValueData(plat::Handle key, const std::u16string& name, std::int32_t type,
                            const TaggedValue& value) {
  const std::string ansiName = plat::ToAnsi(name);
  if (type == static_cast<std::int32_t>(plat::kRegSz)) {
    const std::string bytes = plat::ToAnsi(value.ToText());
    return plat::RegSetValueExA(key, ansiName.c_str(), 0, plat::kRegSz,
                                reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::uint32_t>(bytes.size()));
  }
  if (type == static_cast<std::int32_t>(plat::kRegDword)) {
    const auto n = static_cast<std::uint32_t>(value.ToInteger());
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    return plat::RegSetValueExA(key, ansiName.c_str(), 0, plat::kRegDword, bytes, 4);
  }
  return 0;
}

}  // namespace varnel
