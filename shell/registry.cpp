#include "shell/registry.h"

#include <algorithm>
#include <vector>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/handles.h"

namespace varnel {

namespace {

// Opens subKey of root into `key` for the length of one operation; the
// key's close is issued on every way out, also when the open failed.
std::int32_t Open(plat::UniqueKey& key, plat::Hkey root, const std::u16string& subKey,
                  std::uint32_t access = plat::kKeyAccess3F) {
  return plat::RegOpenKeyExW(root, subKey.c_str(), 0, access, key.put());
}

// The text of a stored text value: its UTF-16 LE bytes up to the first NUL,
// so the terminator, and any padding after it, is not part of it; a value
// that other tools stored without a terminator reads whole. An odd last
// byte is half a character and is left out.
std::u16string TextOf(const std::uint8_t* bytes, std::uint32_t count) {
  std::u16string text;
  text.reserve(count / 2);
  for (std::uint32_t i = 0; i + 1 < count; i += 2) {
    const auto c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (c == u'\0') break;
    text += c;
  }
  return text;
}

// For reading: with access 0x3F, or where that is refused, as a standard
// user is refused it under HKEY_LOCAL_MACHINE, with read access alone (a
// value there is no less present).
std::int32_t OpenToRead(plat::UniqueKey& key, plat::Hkey root, const std::u16string& subKey) {
  const std::int32_t rc = Open(key, root, subKey);
  return rc == plat::kErrorAccessDenied ? Open(key, root, subKey, plat::kKeyRead) : rc;
}

}  // namespace

TaggedValue FetchValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                       std::int32_t* status) {
  TaggedValue value;
  plat::UniqueKey key;
  std::int32_t rc = OpenToRead(key, root, subKey);
  if (rc == 0) rc = ReadValueData(key.get(), name, value);
  if (status) *status = rc;
  return value;
}

std::int32_t StoreValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                        const TaggedValue& value, std::int32_t type, MissingKey missing) {
  plat::UniqueKey key;
  std::uint32_t disposition = 0;
  const std::int32_t rc =
      missing == MissingKey::Create
          ? plat::RegCreateKeyExW(root, subKey.c_str(), 0, plat::kKeyAccess3F, key.put(), &disposition)
          : Open(key, root, subKey);
  if (rc != 0) return rc;
  return WriteValueData(key.get(), name, type, value);
}

std::int32_t RemoveValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name) {
  plat::UniqueKey key;
  const std::int32_t rc = Open(key, root, subKey);
  if (rc != 0) return rc;
  return plat::RegDeleteValueW(key.get(), name.c_str());
}

std::int32_t FetchBinary(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                         std::vector<std::uint8_t>& bytes) {
  plat::UniqueKey key;
  std::int32_t rc = OpenToRead(key, root, subKey);
  if (rc != 0) return rc;
  std::uint32_t type = 0, size = 0;
  rc = plat::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != 0) return rc;
  if (type != plat::kRegBinary) return -1;
  std::vector<std::uint8_t> data(std::size_t{size} + 1, 0);  // never a null buffer
  rc = plat::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
  if (rc != 0) return rc;
  data.resize(size);
  bytes = std::move(data);
  return 0;
}

bool KeyWritable(plat::Hkey root, const std::u16string& subKey) {
  plat::UniqueKey key;
  return Open(key, root, subKey, plat::kKeySetValue) == 0;
}

std::int32_t ReadValueData(plat::Hkey key, const std::u16string& name, TaggedValue& value) {
  std::int32_t status = 0;
  try {
    std::uint32_t type = 0, size = 0;
    status = plat::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != 0) return status;
    if (type == plat::kRegSz) {
      // Two spare bytes so the buffer is never null, even for a zero-length value.
      std::vector<std::uint8_t> buffer(std::size_t{size} + 2, 0);
      std::uint32_t count = size;
      status = plat::RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer.data(), &count);
      value = status == 0 ? TaggedValue(TextOf(buffer.data(), std::min(count, size))) : TaggedValue();
      return status;
    }
    if (type == plat::kRegDword) {
      // Four bytes and no more: stored data longer than that fail with
      // "more data" instead of running past the integer.
      std::uint8_t bytes[4] = {0, 0, 0, 0};
      std::uint32_t count = sizeof bytes;
      status = plat::RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes, &count);
      if (status == 0) {
        const std::uint32_t n = bytes[0] | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                (static_cast<std::uint32_t>(bytes[2]) << 16) |
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

std::int32_t WriteValueData(plat::Hkey key, const std::u16string& name, std::int32_t type, const TaggedValue& value) {
  if (type == static_cast<std::int32_t>(plat::kRegSz)) {
    // UTF-16 LE with the terminating NUL, which Windows wants counted in
    // the size of a text value.
    const std::u16string text = value.ToText() + u'\0';
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * text.size());
    for (char16_t c : text) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return plat::RegSetValueExW(key, name.c_str(), 0, plat::kRegSz, bytes.data(),
                                static_cast<std::uint32_t>(bytes.size()));
  }
  if (type == static_cast<std::int32_t>(plat::kRegDword)) {
    const auto n = static_cast<std::uint32_t>(value.ToInteger());
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    return plat::RegSetValueExW(key, name.c_str(), 0, plat::kRegDword, bytes, 4);
  }
  return 0;
}

}  // namespace varnel
