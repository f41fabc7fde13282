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

// Installed in "Программы" on a Western system: the entry holds the path
// whole, so Windows can start Varnel at logon.
TEST_F(StartupEntryTest, ExeUnderACyrillicFolderIsRegisteredWhole) {
  const std::u16string dir = u"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b";
  std::filesystem::create_directories(sim::HostPath(dir));
  sim::SetApp(dir, u"Varnel");
  Start();  // first run: start-up checked
  sim::ShellTrayMessage(0x206);
  EXPECT_EQ(plat::testing::ReadRaw(plat::kHKeyLocalMachine, kRunKey, kRunValueName),
            (plat::testing::RawValue{1, plat::testing::SzBytes(u"\"" + dir + u"\\Varnel.exe\"")}));
}

TEST_F(StartupEntryTest, MachineWideEntryClearsAStalePerUserOne) {
  sim::SetRawValue(plat::kHKeyCurrentUser, kRun, "Varnel", {1, plat::testing::Utf16Bytes(u"\"x\"")});
  EXPECT_TRUE(StartupEntryPresent());
  WriteStartupEntry(u"\"C:\\Tools\\Varnel.exe\"");
  EXPECT_EQ(RunEntry(plat::kHKeyLocalMachine), "\"C:\\Tools\\Varnel.exe\"");
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());
  DeleteStartupEntry();
  EXPECT_FALSE(StartupEntryPresent());
}

TEST_F(StartupEntryTest, StandardUserReadsTheMachineKeyWithReadAccess) {
  sim::SetStandardUser(true);
  sim::SetRawValue(plat::kHKeyLocalMachine, kRun, "Varnel", {1, plat::testing::SzBytes(u"\"x\"")});
  plat::Hkey key = plat::HandleOf<plat::Hkey>(1);
  EXPECT_EQ(plat::RegOpenKeyExW(plat::kHKeyLocalMachine, kRunKey, 0, 0x3F, &key), plat::kErrorAccessDenied);
  EXPECT_EQ(key, plat::Hkey{});
  EXPECT_EQ(plat::RegOpenKeyExW(plat::kHKeyLocalMachine, kRunKey, 0, plat::kKeyRead, &key), 0);
  plat::RegCloseKey(key);
  // Refused the full access, the probe reads with read access alone.
  EXPECT_EQ(FetchValue(plat::kHKeyLocalMachine, kRunKey, kRunValueName), TaggedValue(u"\"x\""));
  EXPECT_EQ(sim::OpenKeyHandles(), 0u);
}

// Every state the Run entries can be in, older versions' doubles included,
// through one run of every kind: elevated or not, start-up ticked or not.
// Each run leaves at most one entry, and a state that is again one of these,
// so no sequence of runs ever makes two.
TEST_F(StartupEntryTest, NeverTwoEntriesWhateverTheRuns) {
  const std::u16string ours = u"\"C:\\Tools\\Varnel.exe\"", other = u"\"D:\\Old\\Varnel.exe\"";
  struct State {
    const char* name;
    std::optional<std::u16string> machine, user;
  };
  const State states[] = {{"none", {}, {}},
                          {"machine", ours, {}},
                          {"user", {}, ours},
                          {"both", ours, ours},
                          {"machine, other path", other, {}},
                          {"machine, other path, and user", other, ours}};
  auto put = [](plat::Hkey root, const std::optional<std::u16string>& text) {
    if (text) sim::SetRawValue(root, kRun, "Varnel", {1, plat::testing::Utf16Bytes(*text)});
  };
  for (const State& state : states) {
    for (bool standardUser : {false, true}) {
      for (bool tick : {false, true}) {
        SCOPED_TRACE(std::string(state.name) + (standardUser ? ", standard user" : ", elevated") +
                     (tick ? ", ticked" : ", unticked"));
        SetUp();
        WriteIni("[main]\r\nopen=0\r\n");
        put(plat::kHKeyLocalMachine, state.machine);
        put(plat::kHKeyCurrentUser, state.user);
        sim::SetStandardUser(standardUser);
        Main& m = Start();
        EXPECT_EQ(m.RunOnStartUp, state.machine || state.user);  // the box tells the truth
        if (m.RunOnStartUp != tick) sim::UserClick(u"SetRunOnStartUp");
        sim::PressEnter();
        sim::CloseRequest();
        const int entries =
            RunEntry(plat::kHKeyLocalMachine).has_value() + RunEntry(plat::kHKeyCurrentUser).has_value();
        EXPECT_LE(entries, 1);
        // Ticked, there is one; unticked, none, but for a machine-wide one
        // a standard user may not remove.
        const bool kept = standardUser && state.machine;
        EXPECT_EQ(entries, tick || kept ? 1 : 0);
      }
    }
  }
}

}  // namespace
}  // namespace varnel::testing
