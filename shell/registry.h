// Reading, writing and deleting one named registry value. Each outer
// operation opens the key (access 0x3F), does one thing and closes it
// again, and tells its caller how it went: 0, or the platform's error code
// (kErrorFileNotFound for a key or value that is not there, kErrorAccess-
// Denied for one this user may not change). FetchValue returns the empty
// value on any failure. A missing key is made only when the caller asks for
// it. Where the full access is refused (HKEY_LOCAL_MACHINE for a standard
// user) the reads use read access alone.
// Names and texts travel as UTF-16 through the registry's wide calls, so a
// path in any script is stored whole: a text value (REG_SZ) as UTF-16 LE
// with its terminating NUL, an integer (REG_DWORD) as four little-endian
// bytes. A text reads back without its terminator, also when other tools
// stored it without one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"
#include "shell/tagged_value.h"

namespace varnel {

enum class MissingKey { Fail, Create };

// *status, when given, receives the outcome.
TaggedValue FetchValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                       std::int32_t* status = nullptr);
// A type other than REG_SZ and REG_DWORD writes nothing and reports 0.
std::int32_t StoreValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                        const TaggedValue& value, std::int32_t type, MissingKey missing = MissingKey::Fail);
std::int32_t RemoveValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name);
// The bytes of a binary value (REG_BINARY); -1 for a value of another type.
std::int32_t FetchBinary(plat::Hkey root, const std::u16string& subKey, const std::u16string& name,
                         std::vector<std::uint8_t>& bytes);
// True when the key exists and this user may set and delete its values.
bool KeyWritable(plat::Hkey root, const std::u16string& subKey);

// On a key that is already open. Status 0 is success, otherwise the
// platform's error code, or -1 for a stored type other than REG_SZ and
// REG_DWORD (the value is then left untouched).
std::int32_t ReadValueData(plat::Hkey key, const std::u16string& name, TaggedValue& value);
std::int32_t WriteValueData(plat::Hkey key, const std::u16string& name, std::int32_t type, const TaggedValue& value);

}  // namespace varnel
