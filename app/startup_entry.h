// The start-up entry: the value "Varnel" of a Run key, holding the quoted
// path of the executable, which Windows starts when the user signs in.
//
// Windows reads two Run keys then: the user's own (HKEY_CURRENT_USER) and
// the machine's (HKEY_LOCAL_MACHINE), which starts its programs for every
// user. The "Launch on start-up" box is ticked exactly when one of them
// will start this executable for this user:
// - an entry counts only when the program its command starts is this
//   executable, the paths compared as Windows resolves them (quotes,
//   arguments, case, short 8.3 names, "." and "..");
// - and only while it is switched on. Task Manager's Startup tab (and
//   Settings, Apps, Startup) switch an entry off without deleting it: they
//   write a binary value of the same name under
//   Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run
//   of the same root, whose first byte is 2 for an entry switched on and 3
//   for one switched off (the other bytes hold the time it was switched
//   off). Explorer starts the entry unless that value is there with the
//   lowest bit of its first byte set; a missing value, the case of every
//   entry never switched off, leaves it on.
//
// Where a tick writes: into the user's own Run key (made when missing),
// which needs no elevation and touches no other account. An entry of the
// machine that already names this executable is kept where it is when this
// user may change it (an administrator), so an installation that was set to
// start for everyone goes on doing so. Entries that name another copy of
// the program are never taken as this one's and never deleted, save that the
// user's own entry of the same name is replaced when the tick writes there.
// A tick also switches the entry it keeps back on. There is never more than
// one entry of this executable: Windows would start it twice.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kRunValueName[] = u"Varnel";
inline constexpr char16_t kStartupApprovedKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// True when Windows will start `exe` (the executable's full path) for this
// user at the next sign-in.
bool StartupEntryPresent(const std::u16string& exe);
// True when Windows will start `exe` from the machine's entry, which this
// user may not change: unticking cannot stop it.
bool StartupEntryLocked(const std::u16string& exe);

// Makes Windows start `exe`, by the command `command`, at the next sign-in,
// or stops it from doing so. Each returns 0, or the registry's error code
// when it could not be done.
std::int32_t WriteStartupEntry(const std::u16string& exe, const std::u16string& command);
std::int32_t DeleteStartupEntry(const std::u16string& exe);

}  // namespace varnel
