// The start-up entry for a user who may not write to HKEY_LOCAL_MACHINE.
#include "app/startup_entry.h"
#include "platform/api.h"
#include "shell/registry.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using StartupEntryTest = SimMachine;

TEST_F(StartupEntryTest, StandardUserGetsThePerUserEntry) {
  sim::SetStandardUser(true);
  Main& m = Start();  // first run: start-up checked
  EXPECT_TRUE(m.RunOnStartUp);
  sim::ShellTrayMessage(0x206);
  EXPECT_FALSE(RunEntry(plat::kHKeyLocalMachine).has_value());
  EXPECT_EQ(RunEntry(plat::kHKeyCurrentUser), "\"C:\\Tools\\Varnel.exe\"");

  // The next start finds it, so the box stays checked.
  Main& again = Start();
  EXPECT_TRUE(again.RunOnStartUp);
  EXPECT_EQ(again.SetRunOnStartUp.Value(), 1);

  // Unchecked: removed from both places.
  sim::UserClick(u"SetRunOnStartUp");
  sim::UserClick(u"ApplyButton");
  sim::CloseRequest();
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());
}

TEST_F(StartupEntryTest, MachineWideEntryClearsAStalePerUserOne) {
  sim::SetRawValue(plat::kHKeyCurrentUser, kRun, "Varnel", {1, {'"', 'x', '"'}});
  EXPECT_TRUE(StartupEntryPresent());
  WriteStartupEntry(u"\"C:\\Tools\\Varnel.exe\"");
  EXPECT_EQ(RunEntry(plat::kHKeyLocalMachine), "\"C:\\Tools\\Varnel.exe\"");
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());
  DeleteStartupEntry();
  EXPECT_FALSE(StartupEntryPresent());
}

TEST_F(StartupEntryTest, StandardUserCannotOpenTheMachineKey) {
  sim::SetStandardUser(true);
  sim::SetRawValue(plat::kHKeyLocalMachine, kRun, "Varnel", {1, {'"', 'x', '"'}});
  // The probe asks for write access as well, so the value is out of reach.
  EXPECT_TRUE(FetchValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName).IsEmpty());
  plat::Handle key = 1;
  EXPECT_EQ(plat::RegOpenKeyExA(plat::kHKeyLocalMachine, kRun, 0, 0x3F, &key), plat::kErrorAccessDenied);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(plat::RegOpenKeyExA(plat::kHKeyLocalMachine, kRun, 0, 0x1, &key), 0);  // reading alone is allowed
  plat::RegCloseKey(key);
}

}  // namespace
}  // namespace varnel::testing
