#include "app/startup_entry.h"

#include <vector>

#include "platform/files.h"
#include "platform/types.h"
#include "shell/registry.h"

namespace varnel {

namespace {

constexpr plat::Hkey kUser = plat::kHKeyCurrentUser;
constexpr plat::Hkey kMachine = plat::kHKeyLocalMachine;
constexpr auto kText = static_cast<std::int32_t>(plat::kRegSz);

bool HasExtension(std::u16string_view path) {
  const std::size_t dot = path.find_last_of(u'.');
  return dot != std::u16string_view::npos && path.find_first_of(u"\\/", dot) == std::u16string_view::npos;
}

bool IsFile(const std::u16string& path) { return plat::FileExists(path) && !plat::FolderExists(path); }

// The program a command line starts, as CreateProcess finds it: the quoted
// part when the command begins with a quote; otherwise the first of its
// beginnings up to a space that names an existing file (".exe" added when
// it has no extension), and when none does, its first word.
std::u16string ProgramOf(std::u16string_view command) {
  while (!command.empty() && (command.front() == u' ' || command.front() == u'\t')) command.remove_prefix(1);
  if (!command.empty() && command.front() == u'"') {
    command.remove_prefix(1);
    return std::u16string(command.substr(0, command.find(u'"')));
  }
  for (std::size_t end = command.find(u' ');; end = command.find(u' ', end + 1)) {
    std::u16string candidate(command.substr(0, end));
    if (!HasExtension(candidate)) candidate += u".exe";
    if (IsFile(candidate)) return candidate;
    if (end == std::u16string_view::npos) break;
  }
  return std::u16string(command.substr(0, command.find(u' ')));
}

// Whether Explorer will start the entry of this name under `root`: unless
// its StartupApproved value is there with the lowest bit of its first byte
// set (3, as Task Manager writes it; 2, and the 6 that some versions
// write, are even).
bool SwitchedOn(plat::Hkey root) {
  std::vector<std::uint8_t> bytes;
  return FetchBinary(root, kStartupApprovedKey, kRunValueName, bytes) != 0 || bytes.empty() || (bytes[0] & 1) == 0;
}

// A value that is not there is no failure to those who want it gone.
std::int32_t Gone(std::int32_t status) { return status == plat::kErrorFileNotFound ? 0 : status; }

// Takes the switch of Task Manager off the entry: without a value it is on.
std::int32_t SwitchOn(plat::Hkey root) {
  return SwitchedOn(root) ? 0 : Gone(RemoveValue(root, kStartupApprovedKey, kRunValueName));
}

// What one Run key holds for this executable.
struct Entry {
  bool ours = false;  // the entry starts this executable
  bool on = false;    // ... and Explorer will start it
};

Entry Look(plat::Hkey root, const std::u16string& exe) {
  const TaggedValue command = FetchValue(root, kRunKey, kRunValueName);
  Entry e;
  e.ours = command.IsText() && !command.IsBlank() && plat::SamePath(ProgramOf(command.ToText()), exe);
  e.on = e.ours && SwitchedOn(root);
  return e;
}

// Deletes this executable's entry under `root`, and the switch that went
// with it.
std::int32_t Remove(plat::Hkey root) {
  const std::int32_t status = Gone(RemoveValue(root, kRunKey, kRunValueName));
  if (status == 0) RemoveValue(root, kStartupApprovedKey, kRunValueName);
  return status;
}

}  // namespace

bool StartupEntryPresent(const std::u16string& exe) { return Look(kUser, exe).on || Look(kMachine, exe).on; }

bool StartupEntryLocked(const std::u16string& exe) { return Look(kMachine, exe).on && !KeyWritable(kMachine, kRunKey); }

std::int32_t WriteStartupEntry(const std::u16string& exe, const std::u16string& command) {
  const Entry user = Look(kUser, exe), machine = Look(kMachine, exe);
  if (machine.ours && KeyWritable(kMachine, kRunKey)) {
    // Set to start for every user, and this user may keep it so.
    std::int32_t status = StoreValue(kMachine, kRunKey, kRunValueName, command, kText);
    if (status == 0) status = SwitchOn(kMachine);
    if (status == 0 && user.ours) status = Remove(kUser);
    return status;
  }
  if (machine.on) {
    // Windows starts it from the machine's entry already, which this user
    // may not change; a second entry would start it twice.
    return user.ours ? Remove(kUser) : 0;
  }
  std::int32_t status = StoreValue(kUser, kRunKey, kRunValueName, command, kText, MissingKey::Create);
  // The switch belongs to the name: an entry of another copy switched off
  // would keep this one off too.
  if (status == 0) status = SwitchOn(kUser);
  return status;
}

std::int32_t DeleteStartupEntry(const std::u16string& exe) {
  const Entry user = Look(kUser, exe), machine = Look(kMachine, exe);
  std::int32_t status = user.ours ? Remove(kUser) : 0;
  if (machine.ours) {
    // One switched off already starts nothing, removed or not.
    const std::int32_t removed = Remove(kMachine);
    if (status == 0 && machine.on) status = removed;
  }
  return status;
}

}  // namespace varnel
