#include "app/startup_entry.h"

#include "platform/types.h"
#include "shell/registry.h"

namespace varnel {

bool StartupEntryPresent() {
  if (!FetchValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName).IsBlank()) return true;
  return !FetchValue(plat::kHKeyCurrentUser, kRunKey, kRunValueName).IsBlank();
}

void WriteStartupEntry(const std::u16string& command) {
  const TaggedValue value(command);
  StoreValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName, value, 1);
  if (!FetchValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName).IsBlank()) {
    RemoveValue(plat::kHKeyCurrentUser, kRunKey, kRunValueName);
  } else {
    StoreValue(plat::kHKeyCurrentUser, kRunKey, kRunValueName, value, 1);
  }
}

void DeleteStartupEntry() {
  RemoveValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName);
  RemoveValue(plat::kHKeyCurrentUser, kRunKey, kRunValueName);
}

}  // namespace varnel
