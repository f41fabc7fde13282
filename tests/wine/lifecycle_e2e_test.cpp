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
  e2e::DeleteRunEntries();
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
  ini.append(desktop).append("\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"), ini);
  EXPECT_EQ(e2e::RunEntry(), L"\"" + dir + L"\\Varnel.exe\"");  // per user
  EXPECT_FALSE(e2e::RunEntry(HKEY_LOCAL_MACHINE).has_value());

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
  e2e::DeleteRunEntries();
}

TEST(LifecycleE2E, CloseRequestSavesAndEnds) {
  const std::wstring dir = e2e::MakeInstallFolder(L"close");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\nformat=bmp\r\nopen=2\r\n");
  e2e::DeleteRunEntries();
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
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"),
            "[main]\r\npath=C:\\Shots\r\nformat=BMP\r\nopen=1\r\nnotice=0\r\nscreen=0\r\n");
  EXPECT_FALSE(e2e::RunEntry().has_value());
  EXPECT_FALSE(e2e::RunEntry(HKEY_LOCAL_MACHINE).has_value());
}

// A machine-wide entry of a copy long gone leaves the box unticked: Windows
// would start nothing of this copy. The tick then makes the next sign-in
// start this copy, which comes up with its box ticked.
TEST(LifecycleE2E, ATickBesideAStaleMachineEntryStartsThisCopyAtTheNextSignIn) {
  const std::wstring dir = e2e::MakeInstallFolder(L"startup");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\n");
  e2e::DeleteRunEntries();
  const std::wstring stale = L"\"C:\\Old\\Varnel.exe\"";
  e2e::SetRunEntry(HKEY_LOCAL_MACHINE, stale);
  const wchar_t* box = L"Launch Varnel on Windows &start-up";
  {
    e2e::VarnelProcess p(dir);
    ASSERT_TRUE(p.ShowWindowByTray());
    EXPECT_EQ(SendMessageW(p.Control(box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(p.Control(box), BM_CLICK, 0, 0);
    SendMessageW(p.Control(L"&OK"), BM_CLICK, 0, 0);
    e2e::PostTrayMessage(p.Window(), WM_RBUTTONDBLCLK);
    ASSERT_TRUE(p.WaitForExit());
  }
  EXPECT_EQ(e2e::RunEntry(), L"\"" + dir + L"\\Varnel.exe\"");
  EXPECT_EQ(e2e::RunEntry(HKEY_LOCAL_MACHINE), stale);  // another copy's: left alone

  // The next sign-in: the stale entry starts nothing, this one Varnel.
  const auto started = e2e::StartRunEntries();
  ASSERT_EQ(started.size(), 1u);
  const PROCESS_INFORMATION pi = started[0];
  wchar_t image[MAX_PATH];
  DWORD size = MAX_PATH;
  ASSERT_TRUE(QueryFullProcessImageNameW(pi.hProcess, 0, image, &size));
  EXPECT_EQ(CompareStringOrdinal(image, -1, (dir + L"\\Varnel.exe").c_str(), -1, TRUE), CSTR_EQUAL) << image;
  HWND w = e2e::FindProcessWindow(pi.dwProcessId, L"VarnelMain", 15000, false);
  ASSERT_NE(w, nullptr);
  e2e::PostTrayMessage(w, WM_LBUTTONDBLCLK);
  for (int i = 0; i < 50 && !IsWindowVisible(w); ++i) Sleep(100);
  HWND check = FindWindowExW(w, nullptr, L"Button", box);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  e2e::PostTrayMessage(w, WM_RBUTTONDBLCLK);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  e2e::DeleteRunEntries();
}

}  // namespace
