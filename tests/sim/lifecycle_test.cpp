// Start and end of the program on the simulated platform.
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using LifecycleTest = SimMachine;

constexpr char kQuotedExe[] = "\"C:\\Tools\\Varnel.exe\"";

void ExpectFirstRunWindow(Main& m) {
  EXPECT_TRUE(m.Form().Visible());
  EXPECT_TRUE(m.settings.RunOnStartUp);
  EXPECT_EQ(m.SetRunOnStartUp.Value(), 1);
  EXPECT_EQ(m.settings.CaptureFolder, u"C:\\Users\\ann\\Desktop");
  EXPECT_EQ(m.SetFolder.Text(), u"C:\\Users\\ann\\Desktop");
  EXPECT_EQ(m.settings.CaptureFormat, u"JPG");
  EXPECT_EQ(m.JPGOption.Value(), 1);
  EXPECT_EQ(m.BMPOption.Value(), 0);
  EXPECT_FALSE(m.settings.AutoOpen);
  EXPECT_EQ(m.SetAutoOpen.Value(), 0);
  EXPECT_FALSE(m.ApplyButton.Enabled());
}

TEST_F(LifecycleTest, FirstRunShowsDefaultsAndWritesEverythingAtTheEnd) {
  Main& m = Start();
  ExpectFirstRunWindow(m);
  ASSERT_TRUE(m.TrayIcon);
  EXPECT_EQ(m.TrayIcon->State(), 1);
  EXPECT_TRUE(sim::TrayIconPresent());
  EXPECT_FALSE(Ini().has_value());  // nothing is written before the end

  sim::ShellTrayMessage(0x206);  // right double-click on the icon
  EXPECT_TRUE(sim::WindowDestroyed());
  EXPECT_FALSE(sim::TrayIconPresent());
  EXPECT_EQ(Ini(), "[main]\r\npath=C:\\Users\\ann\\Desktop\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
  // Per user: for this user alone, and no elevation needed.
  EXPECT_EQ(RunEntry(plat::kHKeyCurrentUser), kQuotedExe);
  EXPECT_FALSE(RunEntry(plat::kHKeyLocalMachine).has_value());
  EXPECT_EQ(sim::GetRawValue(plat::kHKeyCurrentUser, kRun, "Varnel")->type, 1u);
  // Handed over as its 21 characters and the terminator, two bytes each.
  EXPECT_EQ(sim::CountCalls("RegSetValueExW(Varnel,1,44)"), 1u);
}

TEST_F(LifecycleTest, EmptyFileIsAFirstRunAndUnsetProfileGivesTheShellsDesktop) {
  WriteIni("");
  sim::SetEnv(u"userprofile", std::nullopt);
  Main& m = Start();
  EXPECT_TRUE(m.Form().Visible());
  // "\Desktop" does not exist; the shell knows where the desktop is.
  EXPECT_EQ(m.settings.CaptureFolder, u"C:\\Users\\ann\\Desktop");
}

TEST_F(LifecycleTest, LaterRunStaysHiddenAndFollowsTheRegistry) {
  WriteIni("[main]\r\nopen=1\r\n");
  Main& m = Start();
  EXPECT_FALSE(m.Form().Visible());
  EXPECT_EQ(m.settings.CaptureFolder, u"C:\\Users\\ann\\Desktop");
  EXPECT_EQ(m.settings.CaptureFormat, u"JPG");
  EXPECT_TRUE(m.settings.AutoOpen);
  EXPECT_EQ(m.SetAutoOpen.Value(), 1);
  EXPECT_FALSE(m.settings.RunOnStartUp);  // no entry in the registry
  EXPECT_EQ(m.SetRunOnStartUp.Value(), 0);
  EXPECT_FALSE(m.ApplyButton.Enabled());
  EXPECT_EQ(m.TrayIcon->Tooltip(), u"Varnel: Print Screen saves to Desktop as JPG");

  sim::CloseRequest();
  EXPECT_TRUE(sim::WindowDestroyed());
  EXPECT_FALSE(RunEntry(plat::kHKeyLocalMachine).has_value());
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());
  EXPECT_EQ(Ini(), "[main]\r\nopen=1\r\npath=C:\\Users\\ann\\Desktop\r\nformat=JPG\r\nnotice=0\r\nscreen=0\r\n");
}

TEST_F(LifecycleTest, FormatCodes) {
  struct Case {
    const char* stored;
    const char16_t* code;
    bool bitmap;
  };
  for (const Case& c : {Case{"bmp", u"BMP", true}, Case{"Jpg", u"JPG", false}, Case{"jpeg", u"JPE", false}}) {
    SCOPED_TRACE(c.stored);
    SetUp();
    WriteIni(std::string("[main]\r\npath=C:\\Shots\r\nformat=") + c.stored + "\r\n");
    Main& m = Start();
    EXPECT_EQ(m.settings.CaptureFormat, c.code);
    EXPECT_EQ(m.BMPOption.Value(), c.bitmap ? 1 : 0);
    EXPECT_EQ(m.JPGOption.Value(), c.bitmap ? 0 : 1);
    EXPECT_EQ(m.settings.CaptureFolder, u"C:\\Shots");
    EXPECT_FALSE(m.ApplyButton.Enabled());
    sim::CloseRequest();
    // The code goes back as it was read, unless OK or Apply replaced it.
    EXPECT_NE(Ini()->find(std::string("format=") + plat::ToAnsi(c.code) + "\r\n"), std::string::npos);
  }
}

TEST_F(LifecycleTest, OpenValuesAreNormalisedOnTheWayBack) {
  for (auto [stored, on, written] : {std::tuple{"2", true, "open=1"}, std::tuple{"yes", false, "open=0"}}) {
    SCOPED_TRACE(stored);
    SetUp();
    WriteIni(std::string("[main]\r\nopen=") + stored + "\r\n");
    Main& m = Start();
    EXPECT_EQ(m.settings.AutoOpen, on);
    sim::ShellTrayMessage(0x206);
    EXPECT_NE(Ini()->find(written), std::string::npos);
  }
}

TEST_F(LifecycleTest, ShortFormatValueKeepsItsNul) {
  // "bm" leaves its terminator in the third character: the code is "BM"
  // and a NUL, which counts as JPEG and goes back as "BM".
  WriteIni("[main]\r\nformat=bm\r\n");
  Main& m = Start();
  EXPECT_EQ(m.settings.CaptureFormat, std::u16string(u"BM\0", 3));
  EXPECT_EQ(m.JPGOption.Value(), 1);
  sim::CloseRequest();
  EXPECT_NE(Ini()->find("format=BM\r\n"), std::string::npos);
}

// A folder past 254 characters, which captures can use, is read back whole:
// cut, it would name another folder.
TEST_F(LifecycleTest, LongPathIsReadWhole) {
  const std::string longPath = "C:\\" + std::string(300, 'x');
  WriteIni("[main]\r\npath=" + longPath + "\r\n");
  Main& m = Start();
  EXPECT_EQ(m.settings.CaptureFolder, plat::FromUtf8(longPath));
}

TEST_F(LifecycleTest, StartupEntryIsRewrittenOrDeleted) {
  WriteIni("[main]\r\npath=C:\\Shots\r\n");
  // This exe's entry as another tool stored it, without a terminator; and
  // one machine-wide of a copy that has gone, which is not this exe's.
  sim::SetRawValue(plat::kHKeyCurrentUser, kRun, "Varnel",
                   {1, plat::testing::Utf16Bytes(u"\"C:\\Tools\\Varnel.exe\"")});
  sim::SetRawValue(plat::kHKeyLocalMachine, kRun, "Varnel", {1, plat::testing::Utf16Bytes(u"\"old\"")});
  Main& m = Start();
  EXPECT_TRUE(m.settings.RunOnStartUp);
  EXPECT_EQ(m.SetRunOnStartUp.Value(), 1);
  EXPECT_FALSE(m.ApplyButton.Enabled());
  sim::CloseRequest();
  EXPECT_EQ(sim::GetRawValue(plat::kHKeyCurrentUser, kRun, "Varnel")->data,
            plat::testing::SzBytes(u"\"C:\\Tools\\Varnel.exe\""));  // written again

  // Unchecked and confirmed: the entry goes at the end; the other copy's stays.
  Main& again = Start();
  sim::UserClick(u"SetRunOnStartUp");
  sim::UserClick(u"OKButton");
  EXPECT_FALSE(again.settings.RunOnStartUp);
  EXPECT_TRUE(RunEntry(plat::kHKeyCurrentUser).has_value());
  sim::ShellTrayMessage(0x206);
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());
  EXPECT_EQ(RunEntry(plat::kHKeyLocalMachine), "\"old\"");
}

TEST_F(LifecycleTest, BlankStartupEntryCountsAsAbsent) {
  WriteIni("[main]\r\nopen=0\r\n");
  sim::SetRawValue(plat::kHKeyLocalMachine, kRun, "Varnel", {1, {}});
  EXPECT_FALSE(Start().settings.RunOnStartUp);
}

TEST_F(LifecycleTest, EndOfSessionUnloadsOnceAndSavesEdits) {
  WriteIni("[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
  Main& m = Start();
  sim::UserType(u"SetFolder", u"D:\\Elsewhere");
  sim::UserClick(u"ApplyButton");
  EXPECT_EQ(m.settings.CaptureFolder, u"D:\\Elsewhere");
  sim::EndSession();
  sim::CloseRequest();  // a second request after the end does nothing
  EXPECT_EQ(sim::CountCalls("WritePrivateProfileStringW"), 5u);
  EXPECT_EQ(Ini(), "[main]\r\npath=D:\\Elsewhere\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
}

TEST_F(LifecycleTest, UnwritableSettingsAndRegistryEndQuietly) {
  WriteIni("[main]\r\nopen=0\r\n");
  Main& m = Start();
  m.settings.RunOnStartUp = true;
  // Neither beside the exe nor in the user's application data.
  sim::InjectFault("WritePrivateProfileStringW", 0, 10);
  sim::InjectFault("RegSetValueExW", plat::kErrorAccessDenied, 2);
  sim::CloseRequest();
  EXPECT_TRUE(sim::WindowDestroyed());
  EXPECT_FALSE(sim::TrayIconPresent());
  EXPECT_EQ(Ini(), "[main]\r\nopen=0\r\n");
  EXPECT_FALSE(UserIni().has_value());
  EXPECT_EQ(sim::OpenKeyHandles(), 0u);  // every key opened was closed
}

TEST_F(LifecycleTest, DefaultFolderIsWhereTheShellKeepsTheDesktop) {
  struct Row {
    const char* name;
    std::optional<std::string> ini;
    bool shellDesktop, profileDesktopLeft;
    const char16_t* folder;
  };
  for (const Row& row : {Row{"first run", std::nullopt, true, false, u"D:\\OneDrive\\Desktop"},
                         Row{"no path key", std::string("[main]\r\nopen=1\r\n"), true, false, u"D:\\OneDrive\\Desktop"},
                         // Backed up to OneDrive, the old local folder stays behind unseen.
                         Row{"old Desktop left behind", std::nullopt, true, true, u"D:\\OneDrive\\Desktop"},
                         Row{"a path the file holds", std::string("[main]\r\npath=C:\\Users\\ann\\Desktop\r\n"), true,
                             true, u"C:\\Users\\ann\\Desktop"},
                         Row{"no desktop anywhere", std::nullopt, false, false, u"C:\\Users\\ann\\Desktop"}}) {
    SCOPED_TRACE(row.name);
    SetUp();
    // The desktop was moved to OneDrive.
    if (!row.profileDesktopLeft) std::filesystem::remove_all(sim::HostPath("C:\\Users\\ann\\Desktop"));
    sim::SetShellFolder(plat::kCsidlDesktopDirectory, u"D:\\OneDrive\\Desktop");
    if (row.shellDesktop) std::filesystem::create_directories(sim::HostPath("D:\\OneDrive\\Desktop"));
    if (row.ini) WriteIni(*row.ini);
    EXPECT_EQ(Start().settings.CaptureFolder, row.folder);
  }
}

TEST_F(LifecycleTest, IconComesBackWhenExplorerRestarts) {
  WriteIni("[main]\r\nopen=0\r\n");
  Start();
  sim::ExplorerRestarts();
  EXPECT_TRUE(sim::TrayIconPresent());
  sim::ShellTrayMessage(0x206);  // so the right double-click still ends the program
  EXPECT_TRUE(sim::WindowDestroyed());
  EXPECT_FALSE(sim::TrayIconPresent());
}

}  // namespace
}  // namespace varnel::testing
