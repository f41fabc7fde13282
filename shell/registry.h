// Reading, writing and deleting one named registry value. Each outer
// operation opens the key (access 0x3F, never creating it), does one thing
// and closes it again; none reports a failure: FetchValue returns the empty
// value, StoreValue and RemoveValue do nothing visible. Where the full
// access is refused (HKEY_LOCAL_MACHINE for a standard user) FetchValue
// reads with read access alone.
// Names and texts travel as UTF-16 through the registry's wide calls, so a
// path in any script is stored whole: a text value (REG_SZ) as UTF-16 LE
// with its terminating NUL, an integer (REG_DWORD) as four little-endian
// bytes. A text reads back without its terminator, also when other tools
// stored it without one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"
#include "shell/tagged_value.h"

namespace varnel {

TaggedValue FetchValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name);
void StoreValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name, const TaggedValue& value,
                std::int32_t type);
void RemoveValue(plat::Hkey root, const std::u16string& subKey, const std::u16string& name);

// On a key that is already open. Status 0 is success, otherwise the
// platform's error code, or -1 for a stored type other than REG_SZ and
// REG_DWORD (the value is then left untouched).
std::int32_t ReadValueData(plat::Hkey key, const std::u16string& name, TaggedValue& value);
std::int32_t WriteValueData(plat::Hkey key, const std::u16string& name, std::int32_t type, const TaggedValue& value);

}  // namespace varnel
