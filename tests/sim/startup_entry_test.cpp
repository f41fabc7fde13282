// The start-up entry: the box says what Windows will start at the next
// sign-in, and a tick or an untick makes it so, for a standard user and an
// administrator alike.
#include "app/startup_entry.h"
#include "platform/api.h"
#include "shell/registry.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

constexpr char kApproved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// An installation in a folder whose name has a short form ("PROGRA~1").
constexpr char16_t kDir[] = u"C:\\Program Files\\Varnel";
const std::u16string kOurs = u"\"C:\\Program Files\\Varnel\\Varnel.exe\"";
const std::u16string kOld = u"\"D:\\Old\\Varnel.exe\"";  // a copy long gone
const std::u16string kOther = u"\"D:\\Portable\\Varnel.exe\"";

using Text = std::optional<std::u16string>;
using Switch = std::optional<std::uint8_t>;  // first byte of the StartupApproved value

class StartupEntryTest : public SimMachine {
 protected:
  void SetUp() override {
    SimMachine::SetUp();
    std::filesystem::create_directories(sim::HostPath(kDir));
    plat::testing::WriteFileBytes(std::u16string(kDir) + u"\\Varnel.exe", "MZ");
    sim::SetApp(kDir, u"Varnel");
  }
  // A later start: the settings file has content.
  Main& StartAgain() {
    plat::testing::WriteFileBytes(std::u16string(kDir) + u"\\Varnel.ini", "[main]\r\nopen=0\r\n");
    return Start();
  }
  static void Put(plat::Hkey root, const Text& command, const Switch& on) {
    if (command) sim::SetRawValue(root, kRun, "Varnel", {1, plat::testing::SzBytes(*command)});
    if (on) sim::SetRawValue(root, kApproved, "Varnel", {plat::kRegBinary, {*on, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}});
  }
  static Text Command(plat::Hkey root) {
    const auto v = RunEntry(root);
    return v ? Text(plat::FromUtf8(*v)) : std::nullopt;
  }
  static Switch SwitchOf(plat::Hkey root) {
    const auto v = sim::GetRawValue(root, kApproved, "Varnel");
    return v && !v->data.empty() ? Switch(v->data[0]) : std::nullopt;
  }
};

// What Windows will start decides the box, whatever the entry's spelling.
TEST_F(StartupEntryTest, TheBoxSaysWhatWindowsWillStart) {
  struct Row {
    const char* what;
    Text user;
    Switch userSwitch;
    Text machine;
    Switch machineSwitch;
    bool ticked;
  };
  const Row rows[] = {
      {"no entry", {}, {}, {}, {}, false},
      {"per user", kOurs, {}, {}, {}, true},
      {"per user, short names, other case, dots", u"\"c:\\progra~1\\VARNEL\\.\\varnel.EXE\"", {}, {}, {}, true},
      {"per user, unquoted, with an argument", u"C:\\Program Files\\Varnel\\Varnel.exe /min", {}, {}, {}, true},
      {"per user, unquoted, without .exe", u"C:\\PROGRA~1\\Varnel\\Varnel", {}, {}, {}, true},
      {"per user, another copy", kOther, {}, {}, {}, false},
      {"per user, another file beside", u"\"C:\\Program Files\\Varnel\\Varnel.exe.bak\"", {}, {}, {}, false},
      {"per user, switched off in Task Manager", kOurs, 3, {}, {}, false},
      {"per user, switched on again", kOurs, 2, {}, {}, true},
      {"machine", {}, {}, kOurs, {}, true},
      {"machine, a copy long gone", {}, {}, kOld, {}, false},
      {"machine, switched off in Task Manager", {}, {}, kOurs, 3, false},
      {"machine, another copy; per user, this one", kOurs, {}, kOld, {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Put(plat::kHKeyCurrentUser, row.user, row.userSwitch);
    Put(plat::kHKeyLocalMachine, row.machine, row.machineSwitch);
    Main& m = StartAgain();
    EXPECT_EQ(m.settings.RunOnStartUp, row.ticked);
    EXPECT_EQ(m.SetRunOnStartUp.Value(), row.ticked ? 1 : 0);
  }
}

// A tick writes per user, unless the machine's entry of this executable
// is there to keep; an untick removes this executable's entries, and says
// so, once, where it cannot. Entries of other copies stay as they are.
TEST_F(StartupEntryTest, WhereTicksAndUnticksGo) {
  struct Row {
    const char* what;
    bool standardUser;
    Text user;
    Switch userSwitch;
    Text machine;
    Switch machineSwitch;
    bool tick;
    // Afterwards:
    Text userAfter;
    Switch userSwitchAfter;
    Text machineAfter;
    Switch machineSwitchAfter;
    bool told;  // the untick cannot be carried out
  };
  const Row rows[] = {
      {"nothing, administrator: per user, for this user only", false, {}, {}, {}, {}, true, kOurs, {}, {}, {}, false},
      {"a copy long gone machine-wide, standard user", true, {}, {}, kOld, {}, true, kOurs, {}, kOld, {}, false},
      {"a copy long gone machine-wide, administrator", false, {}, {}, kOld, {}, true, kOurs, {}, kOld, {}, false},
      {"machine-wide, administrator: kept", false, {}, {}, kOurs, {}, true, {}, {}, kOurs, {}, false},
      {"machine-wide, administrator, untick", false, {}, {}, kOurs, {}, false, {}, {}, {}, {}, false},
      {"machine-wide, standard user, untick", true, {}, {}, kOurs, {}, false, {}, {}, kOurs, {}, true},
      {"machine-wide and per user, standard user", true, kOurs, {}, kOurs, {}, true, {}, {}, kOurs, {}, false},
      {"machine-wide switched off, standard user", true, {}, {}, kOurs, 3, true, kOurs, {}, kOurs, 3, false},
      {"machine-wide switched off, administrator", false, {}, {}, kOurs, 3, true, {}, {}, kOurs, {}, false},
      {"per user switched off", true, kOurs, 3, {}, {}, true, kOurs, {}, {}, {}, false},
      {"per user, another copy switched off", true, kOther, 3, {}, {}, true, kOurs, {}, {}, {}, false},
      {"per user, another copy, untick", true, kOther, {}, {}, {}, false, kOther, {}, {}, {}, false},
      {"per user, untick", true, kOurs, 2, {}, {}, false, {}, {}, {}, {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Put(plat::kHKeyCurrentUser, row.user, row.userSwitch);
    Put(plat::kHKeyLocalMachine, row.machine, row.machineSwitch);
    sim::SetStandardUser(row.standardUser);
    Main& m = StartAgain();
    if (m.SetRunOnStartUp.Value() != (row.tick ? 1 : 0)) sim::UserClick(u"SetRunOnStartUp");
    sim::UserClick(u"ApplyButton");
    EXPECT_EQ(sim::MessageBoxes().size(), row.told ? 1u : 0u);
    if (row.told && !sim::MessageBoxes().empty()) {
      EXPECT_NE(sim::MessageBoxes()[0].prompt.find(u"only an administrator"), std::u16string::npos);
      EXPECT_EQ(m.SetRunOnStartUp.Value(), 1);  // the box says what Windows will do
      EXPECT_TRUE(m.settings.RunOnStartUp);
    }
    sim::CloseRequest();
    EXPECT_EQ(sim::MessageBoxes().size(), row.told ? 1u : 0u);
    EXPECT_EQ(Command(plat::kHKeyCurrentUser), row.userAfter);
    EXPECT_EQ(SwitchOf(plat::kHKeyCurrentUser), row.userSwitchAfter);
    EXPECT_EQ(Command(plat::kHKeyLocalMachine), row.machineAfter);
    EXPECT_EQ(SwitchOf(plat::kHKeyLocalMachine), row.machineSwitchAfter);
    // And the next start says so.
    sim::SetStandardUser(false);
    EXPECT_EQ(StartAgain().settings.RunOnStartUp, row.tick || row.told);
  }
}

// A profile without a per-user Run key: the tick makes it.
TEST_F(StartupEntryTest, MissingRunKeyIsMade) {
  sim::DeleteKey(plat::kHKeyCurrentUser, kRun);
  sim::SetStandardUser(true);
  Start();  // first run: start-up ticked
  sim::CloseRequest();
  EXPECT_EQ(Command(plat::kHKeyCurrentUser), kOurs);
  EXPECT_TRUE(StartAgain().settings.RunOnStartUp);
}

TEST_F(StartupEntryTest, StandardUserGetsThePerUserEntry) {
  sim::SetStandardUser(true);
  Main& m = Start();  // first run: start-up checked
  EXPECT_TRUE(m.settings.RunOnStartUp);
  sim::ShellTrayMessage(0x206);
  EXPECT_FALSE(RunEntry(plat::kHKeyLocalMachine).has_value());
  EXPECT_EQ(Command(plat::kHKeyCurrentUser), kOurs);

  // The next start finds it, so the box stays checked.
  Main& again = Start();
  EXPECT_TRUE(again.settings.RunOnStartUp);
  EXPECT_EQ(again.SetRunOnStartUp.Value(), 1);

  // Unchecked: removed.
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
  EXPECT_EQ(plat::testing::ReadRaw(plat::kHKeyCurrentUser, kRunKey, kRunValueName),
            (plat::testing::RawValue{1, plat::testing::SzBytes(u"\"" + dir + u"\\Varnel.exe\"")}));
  EXPECT_TRUE(Start().settings.RunOnStartUp);
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
// Each run leaves at most one entry of this executable, and a state that is
// again one of these, so no sequence of runs ever makes two.
TEST_F(StartupEntryTest, NeverTwoEntriesWhateverTheRuns) {
  struct State {
    const char* name;
    Text machine, user;
  };
  const State states[] = {{"none", {}, {}},
                          {"machine", kOurs, {}},
                          {"user", {}, kOurs},
                          {"both", kOurs, kOurs},
                          {"machine, other path", kOld, {}},
                          {"machine, other path, and user", kOld, kOurs}};
  for (const State& state : states) {
    for (bool standardUser : {false, true}) {
      for (bool tick : {false, true}) {
        SCOPED_TRACE(std::string(state.name) + (standardUser ? ", standard user" : ", elevated") +
                     (tick ? ", ticked" : ", unticked"));
        SetUp();
        Put(plat::kHKeyLocalMachine, state.machine, {});
        Put(plat::kHKeyCurrentUser, state.user, {});
        sim::SetStandardUser(standardUser);
        Main& m = StartAgain();
        EXPECT_EQ(m.settings.RunOnStartUp, state.machine == kOurs || state.user == kOurs);  // the box tells the truth
        if (m.settings.RunOnStartUp != tick) sim::UserClick(u"SetRunOnStartUp");
        sim::PressEnter();
        sim::CloseRequest();
        const int entries = (Command(plat::kHKeyLocalMachine) == kOurs) + (Command(plat::kHKeyCurrentUser) == kOurs);
        // Ticked, there is one; unticked, none, but for a machine-wide one
        // a standard user may not remove (and is told so).
        const bool kept = standardUser && state.machine == kOurs;
        EXPECT_EQ(entries, tick || kept ? 1 : 0);
        EXPECT_EQ(sim::MessageBoxes().size(), !tick && kept ? 1u : 0u);
        if (state.machine == kOld) {
          EXPECT_EQ(Command(plat::kHKeyLocalMachine), kOld);  // another copy's: left alone
        }
      }
    }
  }
}

}  // namespace
}  // namespace varnel::testing
