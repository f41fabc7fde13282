// Varnel.exe's start and end, for real under Wine.
#include <gtest/gtest.h>

#include "tests/support/win32/driver.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += static_cast<char>(c);
  return s;
}

TEST(LifecycleE2E, FirstRunShowsTheWindowAndALaterRunStaysHidden) {
  const std::wstring dir = e2e::MakeInstallFolder(L"lifecycle");
  e2e::DeleteMachineRunEntry();
  {
    e2e::VarnelProcess p(dir);
    HWND w = p.Window();
    ASSERT_NE(w, nullptr);
    wchar_t caption[64];
    GetWindowTextW(w, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Varnel");
    EXPECT_TRUE(IsWindowVisible(w));
    HWND apply = p.Control(L"&Apply");
    ASSERT_NE(apply, nullptr);
    EXPECT_FALSE(IsWindowEnabled(apply));
    EXPECT_EQ(SendMessageW(p.Control(L"Launch Varnel on Windows &start-up"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(p.Control(L"JPEG"), BM_GETCHECK, 0, 0), BST_CHECKED);

    e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
    ASSERT_TRUE(p.WaitForExit());
    EXPECT_EQ(p.ExitCode(), 0u);
  }
  const std::string desktop = Narrow(e2e::Environment(L"USERPROFILE")) + "\\Desktop";
  std::string ini = "[main]\r\npath=";
  ini.append(desktop).append("\r\nformat=JPG\r\nopen=0\r\n");
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"), ini);
  EXPECT_EQ(e2e::MachineRunEntry(), L"\"" + dir + L"\\Varnel.exe\"");

  {
    e2e::VarnelProcess p(dir);
    HWND w = p.Window();
    ASSERT_NE(w, nullptr);
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_FALSE(p.WaitForExit(0));
    e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
    ASSERT_TRUE(p.WaitForExit());
  }
  e2e::DeleteMachineRunEntry();
}

TEST(LifecycleE2E, CloseRequestSavesAndEnds) {
  const std::wstring dir = e2e::MakeInstallFolder(L"close");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\nformat=bmp\r\nopen=2\r\n");
  e2e::DeleteMachineRunEntry();
  e2e::VarnelProcess p(dir);
  HWND w = p.Window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(SendMessageW(p.Control(L"Bitmap"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(p.Control(L"A&utomatically open screenshot after saving"), BM_GETCHECK, 0, 0), BST_CHECKED);
  // A left double-click shows the window; a close request then ends it.
  e2e::PostTrayMessage(w, WM_LBUTTONDBLCLK);
  for (int i = 0; i < 50 && !IsWindowVisible(w); ++i) Sleep(100);
  EXPECT_TRUE(IsWindowVisible(w));
  PostMessageW(w, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitForExit());
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"), "[main]\r\npath=C:\\Shots\r\nformat=BMP\r\nopen=1\r\n");
  EXPECT_FALSE(e2e::MachineRunEntry().has_value());
}

}  // namespace
