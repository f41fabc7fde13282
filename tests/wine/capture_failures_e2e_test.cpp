// Print Screen when something is in the way, for real under Wine: a full
// disk, a read-only disk, a clipboard held by another program, a long or
// relative capture folder, and a press that brought no new picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "tests/support/win32/driver.h"

namespace {

using e2e::VarnelProcess;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::wstring FromEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::wstring(v, v + std::strlen(v)) : std::wstring();
}

class CaptureFailuresE2E : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = e2e::MakeInstallFolder(L"capture-failures"); }
  void StartWith(const std::wstring& folder, const std::string& format = "JPG") {
    e2e::WriteFile(dir_ + L"\\Varnel.ini",
                   "[main]\r\npath=" + Narrow(folder) + "\r\nformat=" + format + "\r\nopen=0\r\n");
    p_ = std::make_unique<VarnelProcess>(dir_);
    ASSERT_NE(p_->Window(), nullptr);
  }
  void TearDown() override {
    if (!p_) return;
    PostMessageW(p_->Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(p_->WaitForExit());
  }
  // Windows' part of Print Screen, then the key.
  static void Capture() {
    ASSERT_TRUE(e2e::PutPictureOnClipboard(640, 400));
    e2e::PressPrintScreen();
  }
  // The message of a capture not saved in `shots`: "Error", the file and,
  // after its extension, the reason. Null when no such box came.
  HWND NotSavedBox(const std::wstring& shots, const std::wstring& extensionAndReason) {
    // The first start in a new Wine session waits for the notification area.
    HWND box = e2e::WaitForMessageBox(p_->pid(), 15000);
    if (!box) return nullptr;
    EXPECT_EQ(e2e::WindowText(box), L"Error");
    const std::wstring text = e2e::MessageBoxText(box);
    EXPECT_EQ(text.rfind(L"The capture could not be saved as\r\n" + shots + L"\\", 0), 0u) << Narrow(text);
    EXPECT_NE(text.find(extensionAndReason), std::wstring::npos) << Narrow(text);
    return box;
  }
  std::wstring dir_;
  std::unique_ptr<VarnelProcess> p_;
};

// Fills a disk up to the last few kilobytes with one file, deleted again
// when this goes.
class Filler {
 public:
  explicit Filler(const std::wstring& disk) : path_(disk + L"\\filler.bin") {
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> block(16384, 'x');
    DWORD n = 0;
    while (h != INVALID_HANDLE_VALUE && WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &n, nullptr) &&
           n == block.size()) {
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  ~Filler() { DeleteFileW(path_.c_str()); }

 private:
  std::wstring path_;
};

TEST_F(CaptureFailuresE2E, FullAndReadOnlyDisksAreReportedWithFileAndReason) {
  struct Row {
    const char* what;
    std::wstring disk;
    std::wstring reason;
  } rows[] = {
      {"read-only disk", FromEnv("VARNEL_E2E_READONLY_DISK"), L"Access is denied."},
      {"disk full", FromEnv("VARNEL_E2E_SMALL_DISK"), L"The disk is full."},
  };
  if (rows[0].disk.empty() || rows[1].disk.empty())
    GTEST_SKIP() << "no small or read-only disk: tests/wine/e2e-mounts.sh could not mount them (not root?)";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::wstring shots = row.disk + L"\\shots";
    CreateDirectoryW(shots.c_str(), nullptr);
    auto filler = std::make_unique<Filler>(row.disk);
    StartWith(shots);
    Capture();
    HWND box = NotSavedBox(shots, L".jpg\r\n\r\n" + row.reason);
    ASSERT_NE(box, nullptr);
    Sleep(300);  // ticks keep coming while the box is open: still one box
    EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 1);
    EXPECT_TRUE(e2e::DismissMessageBox(box));
    EXPECT_TRUE(e2e::FilesIn(shots).empty());  // no partial or empty file

    if (row.disk == rows[1].disk) {  // room again: the next press works
      filler.reset();
      Capture();
      EXPECT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u);
      for (const auto& f : e2e::FilesIn(shots)) DeleteFileW((shots + L"\\" + f).c_str());
    }
    TearDown();
    p_.reset();
  }
}

// A capture that a full disk refused is kept: its message offers Save
// as..., and the save dialog, with a full path typed into its name box and
// Enter, writes the captured picture there in the capture's format,
// whatever the clipboard holds by then.
TEST_F(CaptureFailuresE2E, ACaptureAFullDiskRefusedIsSavedElsewhere) {
  const std::wstring disk = FromEnv("VARNEL_E2E_SMALL_DISK");
  if (disk.empty()) GTEST_SKIP() << "no small disk: tests/wine/e2e-mounts.sh could not mount it (not root?)";
  const std::wstring shots = disk + L"\\shots", elsewhere = dir_ + L"\\elsewhere";
  CreateDirectoryW(shots.c_str(), nullptr);
  CreateDirectoryW(elsewhere.c_str(), nullptr);
  const std::wstring target = elsewhere + L"\\kept.bmp";
  DeleteFileW(target.c_str());
  const Filler filler(disk);
  StartWith(shots, "BMP");
  Capture();

  HWND box = NotSavedBox(shots, L".bmp\r\n\r\nThe disk is full.");
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(e2e::PutPictureOnClipboard(32, 32, [](int, int) { return 0xFF0000u; }));  // copied meanwhile
  ASSERT_TRUE(e2e::PressDialogButton(box, L"Save as\u2026"));

  HWND dialog = e2e::WaitForDialog(p_->pid(), L"Save the capture as");
  ASSERT_NE(dialog, nullptr);
  HWND name = e2e::FindDescendant(dialog, L"Edit");
  ASSERT_NE(name, nullptr);
  // Typed without an extension: the dialog adds the type's, as the
  // simulated one does.
  const std::wstring typed = elsewhere + L"\\kept";
  SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()), SMTO_NORMAL, 5000, nullptr);
  SetForegroundWindow(dialog);
  SetFocus(name);
  e2e::PressKey(VK_RETURN);
  const auto saved = e2e::ReadWhenWritten(target);
  ASSERT_TRUE(saved);
  EXPECT_EQ(e2e::WrongPixels(*saved, 640, 400), 0);
  Sleep(500);
  EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);  // the message is done with
  EXPECT_TRUE(e2e::FilesIn(shots).empty());
}

TEST_F(CaptureFailuresE2E, ClipboardHeldAcrossTheReleaseIsWaitedFor) {
  const std::wstring shots = dir_ + L"\\shots";
  CreateDirectoryW(shots.c_str(), nullptr);
  for (const auto& f : e2e::FilesIn(shots)) DeleteFileW((shots + L"\\" + f).c_str());
  StartWith(shots);
  ASSERT_TRUE(e2e::PutPictureOnClipboard(640, 400));
  // Another program (a thread of this one, to Varnel) holds the clipboard
  // from 0.7 s before the release to 0.8 s after it.
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([held] {
    HWND w = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool open = OpenClipboard(w);
    SetEvent(held);
    Sleep(1500);
    if (open) CloseClipboard();
    DestroyWindow(w);
  });
  WaitForSingleObject(held, 5000);
  Sleep(700);
  e2e::PressPrintScreen();
  holder.join();
  CloseHandle(held);
  EXPECT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u);
  EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);
}

TEST_F(CaptureFailuresE2E, LongAndRelativeFoldersGetEveryPress) {
  std::wstring longFolder = dir_;
  while (longFolder.size() < 180) {  // nested, as no single name may pass 255
    longFolder += L"\\" + std::wstring(60, L'f');
    CreateDirectoryW(longFolder.c_str(), nullptr);
  }
  longFolder += L"\\" + std::wstring(249 - longFolder.size(), L'g');
  ASSERT_EQ(longFolder.size(), 250u);
  ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring relative = dir_ + L"\\sub";
  CreateDirectoryW(relative.c_str(), nullptr);
  struct Row {
    const char* what;
    std::wstring written, folder;
  } rows[] = {{"250 characters", longFolder, longFolder}, {"relative", L"sub", relative}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (const auto& f : e2e::FilesIn(row.folder)) DeleteFileW((row.folder + L"\\" + f).c_str());
    StartWith(row.written);
    for (int i = 1; i <= 3; ++i) {
      Capture();  // a new picture for each press, as Windows makes one
      EXPECT_EQ(e2e::WaitForFiles(row.folder, static_cast<std::size_t>(i)).size(), static_cast<std::size_t>(i));
    }
    EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);
    TearDown();
    p_.reset();
  }
}

TEST_F(CaptureFailuresE2E, APressWithoutANewPictureIsExplainedOnce) {
  const std::wstring shots = dir_ + L"\\shots";
  CreateDirectoryW(shots.c_str(), nullptr);
  for (const auto& f : e2e::FilesIn(shots)) DeleteFileW((shots + L"\\" + f).c_str());
  StartWith(shots);
  Capture();
  ASSERT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u);
  e2e::PressPrintScreen();  // the clipboard as it was: nothing new to save
  HWND box = e2e::WaitForMessageBox(p_->pid());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::WindowText(box), L"Varnel");
  // With a taskbar button of its own rather than owned by the hidden
  // window. (Wine makes no box topmost for MB_TOPMOST: the simulated
  // Windows checks that part.)
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_NE(e2e::MessageBoxText(box).find(L"Use the Print screen key to open screen capture"), std::wstring::npos);
  EXPECT_TRUE(e2e::DismissMessageBox(box));
  e2e::PressPrintScreen();  // again: silent now
  Sleep(1500);
  EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);
  EXPECT_EQ(e2e::FilesIn(shots).size(), 1u);
}

// A picture copied before the press is no capture: nothing is saved and
// the one-time explanation opens. A press while it is open is still
// captured; a mouse moving over the window's top row, where the old
// tray decoding heard a right double-click at x = 518, ends nothing.
TEST_F(CaptureFailuresE2E, OnlyThePressesOwnPictureIsSavedAndNoPressIsDropped) {
  const std::wstring shots = dir_ + L"\\shots";
  CreateDirectoryW(shots.c_str(), nullptr);
  for (const auto& f : e2e::FilesIn(shots)) DeleteFileW((shots + L"\\" + f).c_str());
  StartWith(shots);
  ASSERT_TRUE(e2e::PutPictureOnClipboard(320, 200));
  Sleep(2500);  // copied seconds before the press
  e2e::PressPrintScreen();
  HWND box = e2e::WaitForMessageBox(p_->pid());
  ASSERT_NE(box, nullptr);
  EXPECT_NE(e2e::MessageBoxText(box).find(L"no new picture"), std::wstring::npos);
  EXPECT_TRUE(e2e::FilesIn(shots).empty());

  Capture();  // while the explanation is open
  EXPECT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u);
  EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 1);
  EXPECT_TRUE(e2e::DismissMessageBox(box));
  Sleep(500);
  EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);

  PostMessageW(p_->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(518, 0));
  EXPECT_FALSE(p_->WaitForExit(1000));
  Capture();
  EXPECT_EQ(e2e::WaitForFiles(shots, 2).size(), 2u);
}

// Windows 11's Print Screen under the Snipping Tool, the setting written in
// the prefix where Windows keeps it. With it on, a press and the snip 5 s
// later give one file and no message; with it off, the same steps give no
// file and the one-time explanation.
TEST_F(CaptureFailuresE2E, WithTheSnippingToolTheSnipIsSaved) {
  const std::wstring shots = dir_ + L"\\shots";
  CreateDirectoryW(shots.c_str(), nullptr);
  for (const DWORD on : {1u, 0u}) {
    SCOPED_TRACE(on ? "setting on" : "setting off");
    for (const auto& f : e2e::FilesIn(shots)) DeleteFileW((shots + L"\\" + f).c_str());
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled",
                              REG_DWORD, &on, sizeof on),
              ERROR_SUCCESS);
    StartWith(shots);
    e2e::PressPrintScreen();
    Sleep(5000);
    ASSERT_TRUE(e2e::PutPictureOnClipboard(320, 200));  // the snip
    if (on) {
      EXPECT_EQ(e2e::WaitForFiles(shots, 1).size(), 1u);
      EXPECT_EQ(e2e::CountMessageBoxes(p_->pid()), 0);
    } else {
      HWND box = e2e::WaitForMessageBox(p_->pid());
      ASSERT_NE(box, nullptr);
      EXPECT_NE(e2e::MessageBoxText(box).find(L"no new picture"), std::wstring::npos);
      EXPECT_TRUE(e2e::DismissMessageBox(box));
      Sleep(1000);
      EXPECT_TRUE(e2e::FilesIn(shots).empty());
    }
    TearDown();
    p_.reset();
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled");
}

}  // namespace
