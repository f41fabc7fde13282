// The notification-area icon for real under Wine, clicked with the X
// pointer in Wine's own notification area: the menu a right click opens,
// the keys in it, its commands reaching the shell, Exit, and the notice
// after a capture, whose click (as the shell reports it) opens the file.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/support/win32/driver.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += static_cast<char>(c);
  return s;
}

class TrayE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!e2e::XPointerAvailable()) GTEST_SKIP() << "the test command lends no X pointer (DISPLAY, xdotool)";
    dir_ = e2e::MakeInstallFolder(L"tray");
    shots_ = dir_ + L"\\shots";
    CreateDirectoryW(shots_.c_str(), nullptr);
    for (const auto& f : e2e::FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + f).c_str());
    log_ = dir_ + L"\\opened.log";
    e2e::RegisterOpenRecorder({L".png", L"Directory", L"Folder"}, log_);
    e2e::DeleteRunEntries();
  }
  void TearDown() override {
    p_.reset();
    e2e::DeleteRunEntries();
  }
  // Varnel with its settings, once its icon stands in the notification area.
  void Start(const std::string& notice) {
    e2e::WriteFile(dir_ + L"\\Varnel.ini",
                   "[main]\r\npath=" + Narrow(shots_) + "\r\nformat=PNG\r\nopen=0\r\nnotice=" + notice + "\r\n");
    p_ = std::make_unique<e2e::VarnelProcess>(dir_);
    ASSERT_NE(p_->Window(), nullptr);
    icon_ = e2e::TrayIconCentre();
    ASSERT_TRUE(icon_.has_value()) << "no icon in Wine's notification area";
    Sleep(300);
  }
  std::string At(POINT p) { return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y); }
  // A right click on the icon: the menu, once the double-click time passed.
  HWND OpenMenu() {
    EXPECT_TRUE(e2e::XDo(At(*icon_) + " click 3"));
    return e2e::FindProcessWindow(p_->pid(), L"#32768", 5000);
  }
  // Clicks the menu's text item `index` (0 Settings ... 4 Exit) with the
  // pointer: five items as high as each other, a thin separator before Exit.
  void ClickItem(HWND menu, int index) {
    RECT r{};
    GetWindowRect(menu, &r);
    const int separator = GetSystemMetrics(SM_CYMENUSIZE) / 2;
    const int item = (r.bottom - r.top - 6 - separator) / 5;
    const int y = r.top + 3 + item * index + item / 2 + (index == 4 ? separator : 0);
    EXPECT_TRUE(e2e::XDo(At(POINT{(r.left + r.right) / 2, y}) + " click 1"));
  }
  void Capture() {
    e2e::XDo("mousemove 640 700");  // away from the icon and its tip
    ASSERT_TRUE(e2e::PutPictureOnClipboard(96, 64));
    e2e::PressPrintScreen();
    ASSERT_EQ(e2e::WaitForFiles(shots_, 1).size(), 1u) << "no capture landed";
  }

  std::wstring dir_, shots_, log_;
  std::unique_ptr<e2e::VarnelProcess> p_;
  std::optional<POINT> icon_;
};

TEST_F(TrayE2E, ARightClickOpensTheMenuAndDownEnterShowsTheWindow) {
  Start("0");
  EXPECT_FALSE(IsWindowVisible(p_->Window()));
  ASSERT_NE(OpenMenu(), nullptr);
  ASSERT_TRUE(e2e::XDo("key Down Return"));
  for (int i = 0; i < 50 && !IsWindowVisible(p_->Window()); ++i) Sleep(100);
  EXPECT_TRUE(IsWindowVisible(p_->Window()));
  EXPECT_EQ(e2e::FindProcessWindow(p_->pid(), L"#32768", 0), nullptr);
}

TEST_F(TrayE2E, ExitEndsVarnelWithItsSettingsWritten) {
  Start("7");  // on, written back as 1
  ASSERT_NE(OpenMenu(), nullptr);
  ASSERT_TRUE(e2e::XDo("key x"));
  ASSERT_TRUE(p_->WaitForExit());
  EXPECT_EQ(p_->ExitCode(), 0u);
  EXPECT_EQ(e2e::ReadFile(dir_ + L"\\Varnel.ini"),
            "[main]\r\npath=" + Narrow(shots_) + "\r\nformat=PNG\r\nopen=0\r\nnotice=1\r\nscreen=0\r\n");
}

TEST_F(TrayE2E, TheFolderAndTheLastCaptureAreOpenedFromTheMenu) {
  Start("0");
  HWND menu = OpenMenu();
  ASSERT_NE(menu, nullptr);
  ClickItem(menu, 1);
  EXPECT_TRUE(e2e::WaitForLogLine(log_, Narrow(shots_)));

  Capture();
  const std::wstring file = e2e::FilesIn(shots_)[0];
  Sleep(1000);  // the pointer settled back away from the icon
  menu = OpenMenu();
  ASSERT_NE(menu, nullptr);
  ClickItem(menu, 2);
  EXPECT_TRUE(e2e::WaitForLogLine(log_, Narrow(file.substr(0, file.rfind(L'.')))))
      << e2e::ReadFile(log_).value_or("(no log)");
}

TEST_F(TrayE2E, ANoticeAfterACaptureOpensTheFileWhenClicked) {
  Start("1");
  Capture();
  const std::wstring file = e2e::FilesIn(shots_)[0];
  // Wine shows the balloon as a tooltip of its notification area.
  HWND balloon = nullptr;
  for (int i = 0; i < 50 && !balloon; ++i) {
    balloon = FindWindowW(L"tooltips_class32", nullptr);
    while (balloon && !IsWindowVisible(balloon))
      balloon = FindWindowExW(nullptr, balloon, L"tooltips_class32", nullptr);
    if (!balloon) Sleep(100);
  }
  ASSERT_NE(balloon, nullptr) << "no balloon shown";
  EXPECT_NE(e2e::WindowText(balloon).find(file), std::wstring::npos) << Narrow(e2e::WindowText(balloon));
  // Wine's notification area reports no click on a balloon (Wine 8's
  // explorer relays mouse messages on the icon alone): the shell's report
  // of one is posted as Windows sends it.
  e2e::PostTrayMessage(p_->Window(), NIN_BALLOONUSERCLICK);
  EXPECT_TRUE(e2e::WaitForLogLine(log_, Narrow(file.substr(0, file.rfind(L'.')))));
}

}  // namespace
