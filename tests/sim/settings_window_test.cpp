// The settings window as a dialog, on the simulated platform.
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

class SettingsWindowTest : public SimMachine {
 protected:
  void SetUp() override {
    SimMachine::SetUp();
    WriteIni("[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
    Start();
    sim::ShellTrayMessage(0x203);  // left double-click: the window appears
  }
};

TEST_F(SettingsWindowTest, CancelPutsTheSettingsBack) {
  Main& m = main();
  ASSERT_TRUE(form().Visible());
  sim::UserClick(u"SetAutoOpen");
  sim::UserClick(u"BMPOption");
  sim::UserType(u"SetFolder", u"D:\\typed");
  EXPECT_TRUE(m.ApplyButton.Enabled());
  sim::UserClick(u"CancelButton");
  EXPECT_FALSE(form().Visible());
  EXPECT_EQ(m.SetAutoOpen.Value(), 0);
  EXPECT_EQ(m.JPGOption.Value(), 1);
  EXPECT_EQ(m.BMPOption.Value(), 0);
  EXPECT_EQ(m.SetFolder.Text(), u"C:\\Shots");
  EXPECT_FALSE(m.ApplyButton.Enabled());
  EXPECT_FALSE(m.settings.AutoOpen);
  EXPECT_EQ(m.settings.CaptureFormat, u"JPG");
}

TEST_F(SettingsWindowTest, ApplyTakesEffectAtOnceButWritesNothingUntilTheEnd) {
  Main& m = main();
  sim::UserType(u"SetFolder", u"  D:\\With spaces  ");
  sim::UserClick(u"BMPOption");
  sim::UserClick(u"SetAutoOpen");
  sim::UserClick(u"SetRunOnStartUp");
  sim::UserClick(u"ApplyButton");
  EXPECT_EQ(m.settings.CaptureFolder, u"  D:\\With spaces  ");  // exactly as typed
  EXPECT_EQ(m.settings.CaptureFormat, u"BMP");
  EXPECT_TRUE(m.settings.AutoOpen);
  EXPECT_TRUE(m.settings.RunOnStartUp);
  EXPECT_FALSE(m.ApplyButton.Enabled());
  EXPECT_TRUE(form().Visible());
  EXPECT_EQ(Ini(), "[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
  EXPECT_FALSE(RunEntry(plat::kHKeyCurrentUser).has_value());

  sim::ShellTrayMessage(0x206);
  EXPECT_EQ(Ini(), "[main]\r\npath=  D:\\With spaces  \r\nformat=BMP\r\nopen=1\r\nnotice=0\r\nscreen=0\r\n");
  EXPECT_TRUE(RunEntry(plat::kHKeyCurrentUser).has_value());
}

TEST_F(SettingsWindowTest, EnterAndEscape) {
  Main& m = main();
  sim::UserType(u"SetFolder", u"");
  sim::PressEnter();  // OK: an empty folder is accepted here
  EXPECT_EQ(m.settings.CaptureFolder, u"");
  EXPECT_FALSE(form().Visible());
  EXPECT_FALSE(m.ApplyButton.Enabled());

  sim::ShellTrayMessage(0x203);
  sim::UserClick(u"SetAutoOpen");
  sim::PressEscape();
  EXPECT_FALSE(form().Visible());
  EXPECT_EQ(m.SetAutoOpen.Value(), 0);
}

TEST_F(SettingsWindowTest, GreyedBoxesCountAsUnchecked) {
  Main& m = main();
  m.settings.AutoOpen = m.settings.RunOnStartUp = true;
  m.SetAutoOpen.SetValue(2);
  m.SetRunOnStartUp.SetValue(2);
  sim::UserClick(u"ApplyButton");
  EXPECT_FALSE(m.settings.AutoOpen);
  EXPECT_FALSE(m.settings.RunOnStartUp);
}

TEST_F(SettingsWindowTest, ApplyStaysEnabledAfterChangingBack) {
  Main& m = main();
  sim::UserClick(u"BMPOption");
  sim::UserClick(u"JPGOption");
  EXPECT_TRUE(m.ApplyButton.Enabled());
  // A disabled Apply cannot be clicked.
  sim::UserClick(u"ApplyButton");
  EXPECT_FALSE(m.ApplyButton.Enabled());
  m.settings.CaptureFolder = u"changed behind the window";
  sim::UserClick(u"ApplyButton");
  EXPECT_EQ(m.settings.CaptureFolder, u"changed behind the window");
}

TEST_F(SettingsWindowTest, UnexpectedFormatCodeSelectsJpegOnCancel) {
  Main& m = main();
  m.settings.CaptureFormat = u"XYZ";
  sim::UserClick(u"BMPOption");
  sim::UserClick(u"CancelButton");
  EXPECT_EQ(m.JPGOption.Value(), 1);
  EXPECT_EQ(m.BMPOption.Value(), 0);
  m.settings.CaptureFormat = u"bmp";  // the comparison is case-sensitive
  sim::UserClick(u"CancelButton");
  EXPECT_EQ(m.JPGOption.Value(), 1);
}

TEST_F(SettingsWindowTest, BrowseFillsTheFolderOnlyWithAnAnswer) {
  Main& m = main();
  sim::QueueFolderDialogAnswer(std::nullopt);  // cancelled
  sim::UserClick(u"Browse");
  EXPECT_EQ(m.SetFolder.Text(), u"C:\\Shots");
  EXPECT_FALSE(m.ApplyButton.Enabled());
  ASSERT_EQ(sim::FolderDialogs().size(), 1u);
  EXPECT_EQ(sim::FolderDialogs()[0].title, "Select a folder to save screenshots to . . .");
  EXPECT_EQ(sim::FolderDialogs()[0].owner, plat::RawHandle(form().hWnd()));

  sim::QueueFolderDialogAnswer(std::string("E:\\Pictures"));
  sim::UserClick(u"Browse");
  EXPECT_EQ(m.SetFolder.Text(), u"E:\\Pictures");
  EXPECT_TRUE(m.ApplyButton.Enabled());
  EXPECT_EQ(m.settings.CaptureFolder, u"C:\\Shots");  // not applied yet

  // A folder past MAX_PATH is taken whole.
  const std::string deep = "E:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b');
  sim::QueueFolderDialogAnswer(deep);
  sim::UserClick(u"Browse");
  EXPECT_EQ(m.SetFolder.Text(), plat::FromUtf8(deep));
  EXPECT_TRUE(sim::MessageBoxes().empty());

  // One the shell gives no path for is not taken, and the user told why.
  sim::QueueFolderDialogAnswer(std::string());
  sim::UserClick(u"Browse");
  EXPECT_EQ(m.SetFolder.Text(), plat::FromUtf8(deep));
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_NE(sim::MessageBoxes()[0].prompt.find(u"cannot save captures there"), std::u16string::npos);
}

TEST_F(SettingsWindowTest, OpenFolderUsesTheUnappliedText) {
  std::filesystem::create_directories(sim::HostPath("D:\\Not applied"));
  sim::UserType(u"SetFolder", u"D:\\Not applied");
  sim::UserClick(u"OpenFolder");
  ASSERT_EQ(sim::ShellExecutions().size(), 1u);
  const auto& e = sim::ShellExecutions()[0];
  EXPECT_EQ(e.hwnd, plat::RawHandle(form().hWnd()));
  EXPECT_EQ(e.verb, "explore");
  EXPECT_EQ(e.file, "D:\\Not applied\\");
  EXPECT_EQ(e.parameters, "");
  EXPECT_EQ(e.directory, "");
  EXPECT_EQ(e.show, 1);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(SettingsWindowTest, OpenFolderOpensNothingButAFolder) {
  plat::testing::WriteFileBytes(u"C:\\Tools\\Varnel.exe", "MZ");
  for (const char16_t* text : {u"C:\\Tools\\Varnel.exe", u"C:\\Tools\\Varnel", u"D:\\Missing", u""}) {
    SCOPED_TRACE(plat::ToUtf8(text));
    const std::size_t boxes = sim::MessageBoxes().size();
    sim::UserType(u"SetFolder", text);
    sim::UserClick(u"OpenFolder");
    EXPECT_TRUE(sim::ShellExecutions().empty());  // a program is never started
    ASSERT_EQ(sim::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(sim::MessageBoxes().back().prompt, u"Capture folder does not exist.");
    EXPECT_EQ(sim::MessageBoxes().back().title, u"Error");
  }
}

TEST_F(SettingsWindowTest, F1OpensTheReadMeWithAnyModifiers) {
  sim::KeyUp(0x70, 0);
  sim::KeyUp(0x70, 1);  // Shift
  sim::KeyUp(0x70, 2);  // Ctrl
  sim::KeyUp(0x70, 4);  // Alt
  sim::KeyUp(0x71, 0);  // F2: nothing
  ASSERT_EQ(sim::ShellExecutions().size(), 4u);
  for (const auto& e : sim::ShellExecutions()) {
    EXPECT_EQ(e.verb, "open");
    EXPECT_EQ(e.file, "C:\\Tools\\Readme.txt");
  }
}

TEST_F(SettingsWindowTest, TrayDoubleClicks) {
  sim::ShellTrayMessage(0x203);  // shown already: stays shown
  EXPECT_TRUE(form().Visible());
  sim::UserClick(u"OKButton");
  EXPECT_FALSE(form().Visible());
  sim::ShellTrayMessage(0x203);
  EXPECT_TRUE(form().Visible());
  EXPECT_FALSE(sim::WindowDestroyed());
  sim::ShellTrayMessage(0x206);
  EXPECT_TRUE(sim::WindowDestroyed());
}

}  // namespace
}  // namespace varnel::testing
