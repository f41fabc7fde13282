// The start-up entry: the value "Varnel" under
// Software\Microsoft\Windows\CurrentVersion\Run, holding the quoted path
// of the executable.
//
// It belongs under HKEY_LOCAL_MACHINE. A standard (non-elevated) user may
// not write there, so after storing it the entry is read back; where it
// did not arrive, it is stored under HKEY_CURRENT_USER's Run key instead,
// which Windows also launches at logon. That keeps the "Launch on start-up"
// check box truthful for every user.
#pragma once

#include <string>

namespace varnel {

inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kRunValueName[] = u"Varnel";

// True when the machine-wide entry, or else the per-user one, holds a
// non-empty value.
bool StartupEntryPresent();
// Stores the command machine-wide, falling back to the per-user key; the
// other place is cleared so that Windows never launches two copies.
void WriteStartupEntry(const std::u16string& command);
// Deletes the entry from both places.
void DeleteStartupEntry();

}  // namespace varnel
