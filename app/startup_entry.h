// The start-up entry: the value "Varnel" under
// Software\Microsoft\Windows\CurrentVersion\Run, holding the quoted path
// of the executable.
//
// It belongs under HKEY_LOCAL_MACHINE. A standard (non-elevated) user may
// read there but not write, so after storing it the entry is read back;
// where there is none, it is stored under HKEY_CURRENT_USER's Run key
// instead, which Windows also launches at logon. Never both: Windows would
// start two copies. That keeps the "Launch on start-up" check box truthful
// for every user, elevated or not.
#pragma once

#include <string>

namespace varnel {

inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kRunValueName[] = u"Varnel";

// True when the machine-wide entry, or else the per-user one, holds a
// non-empty value.
bool StartupEntryPresent();
// Stores the command machine-wide. Where no machine-wide entry can be had
// it goes to the per-user key; where one stands (even one this user may not
// change) the per-user entry is cleared.
void WriteStartupEntry(const std::u16string& command);
// Deletes the entry from both places.
void DeleteStartupEntry();

}  // namespace varnel
