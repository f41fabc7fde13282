// Varnel.exe away from the easy case, for real under Wine: names outside
// the code page, an exe folder it cannot write, a desktop moved elsewhere,
// Explorer restarting, a second start, and the settings window's keys and
// folder button.
#include "tests/support/win32/driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

using e2e::VarnelProcess;

HWND Edit(VarnelProcess& p) { return FindWindowExW(p.Window(), nullptr, L"Edit", nullptr); }

std::wstring Text(HWND h) {
  wchar_t buf[512] = {0};
  SendMessageW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void SetText(HWND h, const std::wstring& text) {
  SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Ends Varnel as the user does: a right double-click on its icon.
bool End(VarnelProcess& p) {
  e2e::PostTrayMessage(p.Window(), WM_RBUTTONDBLCLK);
  return p.WaitForExit();
}

// Types the folder into the shown window, presses OK and ends Varnel.
bool ChooseFolderAndEnd(VarnelProcess& p, const std::wstring& folder) {
  SetText(Edit(p), folder);
  SendMessageW(p.Control(L"&OK"), BM_CLICK, 0, 0);
  return End(p);
}

// The text of a file in Unicode form: the UTF-16 LE mark, then the text.
std::optional<std::wstring> UnicodeText(const std::optional<std::string>& bytes) {
  if (!bytes || bytes->compare(0, 2, "\xFF\xFE") != 0) return std::nullopt;
  std::wstring text;
  for (std::size_t i = 2; i + 1 < bytes->size(); i += 2)
    text += static_cast<wchar_t>(static_cast<unsigned char>((*bytes)[i]) |
                                 (static_cast<unsigned char>((*bytes)[i + 1]) << 8));
  return text;
}

// "Фото Λήψη": not a letter of it in the ANSI code page.
const std::wstring kFolder = L"C:\\\u0424\u043e\u0442\u043e \u039b\u03ae\u03c8\u03b7";

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

TEST(DesktopE2E, SettingsAndCapturesInAnyScript) {
  // Installed in "Программы", whose name is out of the code page too.
  const std::wstring dir = e2e::MakeInstallFolder(L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b");
  e2e::WriteFile(dir + L"\\Varnel.ini",
                 "[other]\r\nkeep=Caf\xe9\r\n[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=1\r\n");
  CreateDirectoryW(kFolder.c_str(), nullptr);
  for (const auto& f : e2e::FilesIn(kFolder)) DeleteFileW((kFolder + L"\\" + f).c_str());
  const std::wstring log = dir + L"\\opened.log";
  e2e::RegisterOpenRecorder({L".jpg"}, log);
  e2e::DeleteRunEntries();
  {
    VarnelProcess p(dir);
    ASSERT_TRUE(p.ShowWindowByTray());
    EXPECT_EQ(Text(Edit(p)), L"C:\\Shots");  // read
    SetText(Edit(p), kFolder);
    SendMessageW(p.Control(L"Launch Varnel on Windows &start-up"), BM_CLICK, 0, 0);  // on: there was no entry
    SendMessageW(p.Control(L"&OK"), BM_CLICK, 0, 0);
    // A capture lands there under its stamp, and the shell is asked to open that name.
    ASSERT_TRUE(e2e::PutPictureOnClipboard(320, 200));
    e2e::PressPrintScreen();
    const auto files = e2e::WaitForFiles(kFolder, 1);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].size(), 23u);  // YYYY-MM-DD-HH-NN-SS.jpg
    EXPECT_TRUE(e2e::WaitForLogLine(log, Utf8(kFolder + L"\\" + files[0].substr(0, 19) + L".JPG")));
    EXPECT_TRUE(End(p));
  }
  // The start-up entry holds the path whole, so Windows can start Varnel.
  EXPECT_EQ(e2e::RunEntry(), L"\"" + dir + L"\\Varnel.exe\"");  // per user
  EXPECT_FALSE(e2e::RunEntry(HKEY_LOCAL_MACHINE).has_value());
  // Unicode now, everything else kept.
  EXPECT_EQ(UnicodeText(e2e::ReadFile(dir + L"\\Varnel.ini")),
            L"[other]\r\nkeep=Caf\u00e9\r\n[main]\r\npath=" + kFolder +
                L"\r\nformat=JPG\r\nopen=1\r\nnotice=0\r\nscreen=0\r\n");
  VarnelProcess again(dir);
  ASSERT_TRUE(again.ShowWindowByTray());
  EXPECT_EQ(Text(Edit(again)), kFolder);
  EXPECT_TRUE(End(again));
  e2e::DeleteRunEntries();
}

TEST(DesktopE2E, ReadOnlyExeFolderKeepsTheSettingsPerUser) {
  // Varnel.exe on a read-only file system (tests/wine/e2e-mounts.sh).
  const char* mounted = std::getenv("VARNEL_E2E_READONLY_INSTALL");
  if (!mounted) GTEST_SKIP() << "no read-only installation: this machine does not let the tests mount one";
  const std::wstring dir(mounted, mounted + std::strlen(mounted));
  DeleteFileW(e2e::UserSettingsFile().c_str());
  struct Cleanup {
    ~Cleanup() {
      DeleteFileW(e2e::UserSettingsFile().c_str());
      e2e::DeleteRunEntries();
    }
  } cleanup;
  {
    VarnelProcess p(dir);
    ASSERT_NE(p.Window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(p.Window()));  // a first run
    ASSERT_TRUE(ChooseFolderAndEnd(p, L"C:\\Shots"));
  }
  EXPECT_FALSE(e2e::ReadFile(dir + L"\\Varnel.ini").has_value());
  EXPECT_EQ(e2e::ReadFile(e2e::UserSettingsFile()),
            "[main]\r\npath=C:\\Shots\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");

  // No first run any more: hidden, with the folder chosen.
  VarnelProcess again(dir);
  ASSERT_NE(again.Window(), nullptr);
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(again.Window()));
  ASSERT_TRUE(again.ShowWindowByTray());
  EXPECT_EQ(Text(Edit(again)), L"C:\\Shots");
  EXPECT_TRUE(End(again));
}

// A Varnel.ini saved as Notepad saves it, UTF-8 without a byte-order mark,
// naming a folder in Cyrillic: the capture lands in that folder, and the
// file keeps its bytes, so it reads the same afterwards.
TEST(DesktopE2E, ASettingsFileSavedAsUtf8IsReadAsSaved) {
  const std::wstring dir = e2e::MakeInstallFolder(L"utf8");
  const std::wstring folder = L"C:\\\u0424\u043e\u0442\u043e";  // "Фото"
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const auto& f : e2e::FilesIn(folder)) DeleteFileW((folder + L"\\" + f).c_str());
  const std::string ini = "; " + Utf8(L"\u0417\u0430\u043c\u0435\u0442\u043a\u0430") +
                          "\r\n[main]\r\npath=" + Utf8(folder) + "\r\nformat=JPG\r\nopen=0\r\n";
  e2e::WriteFile(dir + L"\\Varnel.ini", ini);
  e2e::DeleteRunEntries();
  {
    VarnelProcess p(dir);
    ASSERT_NE(p.Window(), nullptr);
    ASSERT_TRUE(e2e::PutPictureOnClipboard(320, 200));
    e2e::PressPrintScreen();
    const auto files = e2e::WaitForFiles(folder, 1);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].size(), 23u);  // YYYY-MM-DD-HH-NN-SS.jpg
    EXPECT_TRUE(End(p));
  }
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"), ini + "notice=0\r\nscreen=0\r\n");  // the new keys, added at the end
  VarnelProcess again(dir);
  ASSERT_TRUE(again.ShowWindowByTray());
  EXPECT_EQ(Text(Edit(again)), folder);
  EXPECT_TRUE(End(again));
  e2e::DeleteRunEntries();
}

// A portable copy in a folder it can write, beside the per-user file of an
// installed copy: each reads and keeps its own settings.
TEST(DesktopE2E, APortableCopyKeepsItsOwnSettingsBesideAnInstalledOnes) {
  const std::wstring dir = e2e::MakeInstallFolder(L"portable");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Portable shots\r\nformat=JPG\r\nopen=0\r\n");
  const std::wstring perUser = e2e::UserSettingsFile();
  CreateDirectoryW(perUser.substr(0, perUser.rfind(L'\\')).c_str(), nullptr);
  const std::string installedSettings = "[main]\r\npath=C:\\Installed shots\r\nformat=BMP\r\nopen=1\r\n";
  e2e::WriteFile(perUser, installedSettings);
  struct Cleanup {
    std::wstring perUser;
    ~Cleanup() {
      DeleteFileW(perUser.c_str());
      e2e::DeleteRunEntries();
    }
  } cleanup{perUser};
  {
    VarnelProcess p(dir);
    ASSERT_TRUE(p.ShowWindowByTray());
    EXPECT_EQ(Text(Edit(p)), L"C:\\Portable shots");
    EXPECT_EQ(SendMessageW(p.Control(L"JPEG"), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(ChooseFolderAndEnd(p, L"C:\\Portable 2"));
  }
  EXPECT_EQ(e2e::ReadFile(dir + L"\\Varnel.ini"),
            "[main]\r\npath=C:\\Portable 2\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");
  EXPECT_EQ(e2e::ReadFile(perUser), installedSettings);

  // The installed copy, on a read-only file system (tests/wine/e2e-mounts.sh):
  // the per-user file is its own.
  const char* mounted = std::getenv("VARNEL_E2E_READONLY_INSTALL");
  if (!mounted) GTEST_SKIP() << "no read-only installation: this machine does not let the tests mount one";
  VarnelProcess installed(std::wstring(mounted, mounted + std::strlen(mounted)));
  ASSERT_TRUE(installed.ShowWindowByTray());
  EXPECT_EQ(Text(Edit(installed)), L"C:\\Installed shots");
  EXPECT_EQ(SendMessageW(installed.Control(L"Bitmap"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(End(installed));
}

TEST(DesktopE2E, DefaultFolderIsTheShellsDesktop) {
  // A profile without a Desktop folder: the desktop was moved elsewhere.
  const std::wstring dir = e2e::MakeInstallFolder(L"desktop");
  const std::wstring profile = e2e::Environment(L"USERPROFILE");
  SetEnvironmentVariableW(L"USERPROFILE", dir.c_str());
  struct Restore {
    std::wstring profile;
    ~Restore() {
      SetEnvironmentVariableW(L"USERPROFILE", profile.c_str());
      e2e::DeleteRunEntries();
    }
  } restore{profile};
  ASSERT_EQ(GetFileAttributesW((dir + L"\\Desktop").c_str()), INVALID_FILE_ATTRIBUTES);
  wchar_t desktop[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);

  VarnelProcess p(dir);
  ASSERT_NE(p.Window(), nullptr);
  EXPECT_EQ(Text(Edit(p)), desktop);  // a folder that exists: captures can land there
  EXPECT_TRUE(End(p));
}

// Asks the shell about Varnel's icon (any program may, naming the window
// and the icon's number): only an icon it holds can be modified.
bool TrayCall(DWORD message, HWND window) {
  NOTIFYICONDATAW d{};
  d.cbSize = NOTIFYICONDATAW_V1_SIZE;
  d.hWnd = window;
  d.uID = 1;
  return Shell_NotifyIconW(message, &d) != FALSE;
}

TEST(DesktopE2E, TrayIconComesBackWhenExplorerRestarts) {
  const std::wstring dir = e2e::MakeInstallFolder(L"tray");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\n");
  VarnelProcess p(dir);
  HWND w = p.Window();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 50 && !TrayCall(NIM_MODIFY, w); ++i) Sleep(100);
  // A restart of Explorer: the icon is forgotten, then the new taskbar
  // announces itself to every top-level window.
  ASSERT_TRUE(TrayCall(NIM_DELETE, w));
  EXPECT_FALSE(TrayCall(NIM_MODIFY, w));
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  for (int i = 0; i < 50 && !TrayCall(NIM_MODIFY, w); ++i) Sleep(100);
  EXPECT_TRUE(TrayCall(NIM_MODIFY, w));
  EXPECT_TRUE(End(p));
}

BOOL CALLBACK CountVarnelWindow(HWND h, LPARAM count) {
  wchar_t cls[64];
  if (GetClassNameW(h, cls, 64) && std::wstring(cls) == L"VarnelMain") ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int VarnelWindows() {
  int n = 0;
  EnumWindows(CountVarnelWindow, reinterpret_cast<LPARAM>(&n));
  return n;
}

TEST(DesktopE2E, SecondStartShowsTheRunningWindowAndEnds) {
  const std::wstring dir = e2e::MakeInstallFolder(L"twice");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\n");
  VarnelProcess first(dir);
  ASSERT_NE(first.Window(), nullptr);
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(first.Window()));

  VarnelProcess second(dir);
  ASSERT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 0u);
  for (int i = 0; i < 50 && !IsWindowVisible(first.Window()); ++i) Sleep(100);
  EXPECT_TRUE(IsWindowVisible(first.Window()));
  EXPECT_EQ(VarnelWindows(), 1);
  EXPECT_TRUE(End(first));
}

TEST(DesktopE2E, AltF1OpensTheReadMeAndOpenFolderNeverStartsAProgram) {
  const std::wstring dir = e2e::MakeInstallFolder(L"keys");
  e2e::WriteFile(dir + L"\\Varnel.ini", "[main]\r\npath=C:\\Shots\r\n");
  const std::wstring log = dir + L"\\opened.log";
  e2e::RegisterOpenRecorder({L".txt"}, log);
  VarnelProcess p(dir);
  ASSERT_TRUE(p.ShowWindowByTray());
  SetForegroundWindow(p.Window());
  Sleep(200);
  e2e::PressKey(VK_F1, {VK_MENU});
  EXPECT_TRUE(e2e::WaitForLogLine(log, "Readme.txt"));

  // A program named as the folder, one that would leave a line in the log
  // if started: only the folder message comes.
  DeleteFileW(log.c_str());
  wchar_t here[MAX_PATH];
  GetModuleFileNameW(nullptr, here, MAX_PATH);
  const std::wstring recorder = std::wstring(here).substr(0, std::wstring(here).rfind(L'\\')) + L"\\open_recorder.exe";
  SetText(Edit(p), recorder);
  PostMessageW(p.Control(L"O&pen folder"), BM_CLICK, 0, 0);
  HWND message = e2e::FindProcessWindow(p.pid(), L"#32770");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(FindWindowExW(message, nullptr, L"Static", L"Capture folder does not exist."), nullptr);
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  Sleep(1000);
  EXPECT_FALSE(e2e::ReadFile(log).has_value());
  EXPECT_TRUE(End(p));
  e2e::DeleteRunEntries();
}

}  // namespace
