// The settings window, driven from outside under Wine as a user's tools
// would: controls found by caption, clicked with BM_CLICK, typed into with
// WM_SETTEXT, keys through SendInput.
#include <gtest/gtest.h>

#include "tests/support/win32/driver.h"

namespace {

using e2e::VarnelProcess;

LRESULT Check(HWND h) { return SendMessageW(h, BM_GETCHECK, 0, 0); }

// WM_GETTEXT: GetWindowText does not read controls of another process.
std::wstring Text(HWND h) {
  wchar_t buf[512] = {0};
  SendMessageW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
  return buf;
}

HWND Edit(VarnelProcess& p) { return FindWindowExW(p.Window(), nullptr, L"Edit", nullptr); }

void Focus(HWND w) {
  SetForegroundWindow(w);
  Sleep(200);
}

class SettingsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = e2e::MakeInstallFolder(L"settings");
    e2e::WriteFile(dir_ + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
  }
  std::wstring dir_;
};

TEST_F(SettingsE2E, ApplyOkCancelEnterEscapeAndTheFileAtExit) {
  VarnelProcess p(dir_);
  HWND w = p.Window();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(IsWindowVisible(w));
  ASSERT_TRUE(p.ShowWindowByTray());
  HWND apply = p.Control(L"&Apply");
  HWND bitmap = p.Control(L"Bitmap");
  HWND jpeg = p.Control(L"JPEG");
  HWND autoOpen = p.Control(L"A&utomatically open screenshot after saving");
  ASSERT_TRUE(apply && bitmap && jpeg && autoOpen && Edit(p));
  EXPECT_FALSE(IsWindowEnabled(apply));

  // Typing enables Apply; Apply takes the text and keeps the window.
  SendMessageW(Edit(p), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Typed"));
  EXPECT_TRUE(IsWindowEnabled(apply));
  SendMessageW(apply, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(apply));
  EXPECT_TRUE(IsWindowVisible(w));

  // Cancel puts back the applied settings and hides the window.
  SendMessageW(bitmap, BM_CLICK, 0, 0);
  SendMessageW(autoOpen, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(apply));
  EXPECT_EQ(Check(bitmap), BST_CHECKED);
  EXPECT_EQ(Check(jpeg), BST_UNCHECKED);
  SendMessageW(p.Control(L"&Cancel"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(Check(bitmap), BST_UNCHECKED);
  EXPECT_EQ(Check(jpeg), BST_CHECKED);
  EXPECT_EQ(Check(autoOpen), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(apply));
  EXPECT_EQ(Text(Edit(p)), L"C:\\Typed");

  // Enter presses OK.
  ASSERT_TRUE(p.ShowWindowByTray());
  SendMessageW(bitmap, BM_CLICK, 0, 0);
  Focus(w);
  e2e::PressKey(VK_RETURN);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(Check(bitmap), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(apply));

  // Escape presses Cancel.
  ASSERT_TRUE(p.ShowWindowByTray());
  SendMessageW(autoOpen, BM_CLICK, 0, 0);
  Focus(w);
  e2e::PressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(Check(autoOpen), BST_UNCHECKED);

  // Nothing reached the file before the end.
  EXPECT_EQ(e2e::ReadFile(dir_ + L"\\Varnel.ini"), "[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
  e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
  ASSERT_TRUE(p.WaitForExit());
  EXPECT_EQ(e2e::ReadFile(dir_ + L"\\Varnel.ini"),
            "[main]\r\npath=C:\\Typed\r\nformat=BMP\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
}

TEST_F(SettingsE2E, OpenFolderAndF1ReachTheShellsOpenHandler) {
  const std::wstring log = dir_ + L"\\opened.log";
  e2e::RegisterOpenRecorder({L".txt", L"Directory", L"Folder"}, log);
  VarnelProcess p(dir_);
  ASSERT_TRUE(p.ShowWindowByTray());

  // Open folder takes the text as it stands, applied or not.
  SendMessageW(Edit(p), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dir_.c_str()));
  SendMessageW(p.Control(L"O&pen folder"), BM_CLICK, 0, 0);
  std::string folder;
  for (wchar_t c : dir_) folder += static_cast<char>(c);
  EXPECT_TRUE(e2e::WaitForLogLine(log, folder));

  // F1, also with Shift held, opens the read-me beside the exe.
  Focus(p.Window());
  e2e::PressKey(VK_F1, {VK_SHIFT});
  EXPECT_TRUE(e2e::WaitForLogLine(log, "Readme.txt"));
  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

TEST_F(SettingsE2E, BrowseShowsTheFolderDialogAndEscapeChangesNothing) {
  VarnelProcess p(dir_);
  ASSERT_TRUE(p.ShowWindowByTray());
  PostMessageW(p.Control(L"&Browse"), BM_CLICK, 0, 0);  // the dialog is modal: do not wait on it
  HWND dialog = e2e::FindProcessWindow(p.pid(), L"#32770");
  ASSERT_NE(dialog, nullptr);
  bool titled = false;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    titled = titled || Text(c) == L"Select a folder to save screenshots to . . .";
  EXPECT_TRUE(titled);
  Focus(dialog);
  e2e::PressKey(VK_ESCAPE);
  for (int i = 0; i < 50 && IsWindow(dialog); ++i) Sleep(100);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(Text(Edit(p)), L"C:\\Shots");
  EXPECT_FALSE(IsWindowEnabled(p.Control(L"&Apply")));
  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

}  // namespace
