// Print Screen to a file, for real under Wine: a known picture on the
// clipboard, Print Screen pressed and released through the input queue,
// and the file that Varnel.exe writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/contract/jpeg_decode.h"
#include "tests/support/test_support.h"
#include "tests/support/win32/driver.h"
#include "tests/wine/png_pixels.h"

namespace {

constexpr int kWidth = 640, kHeight = 400;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// "YYYY-MM-DD-HH-NN-SS" plus an extension, and within a few seconds of
// the local time around the capture.
bool StampedNear(const std::wstring& name, const wchar_t* ext, const SYSTEMTIME& before, const SYSTEMTIME& after) {
  if (name.size() != 19 + wcslen(ext) || name.substr(19) != ext) return false;
  for (std::size_t i = 0; i < 19; ++i)
    if ((i == 4 || i == 7 || i == 10 || i == 13 || i == 16) ? name[i] != L'-' : !std::iswdigit(name[i])) return false;
  SYSTEMTIME t{};
  swscanf(name.c_str(), L"%4hu-%2hu-%2hu-%2hu-%2hu-%2hu", &t.wYear, &t.wMonth, &t.wDay, &t.wHour, &t.wMinute,
          &t.wSecond);
  auto seconds = [](const SYSTEMTIME& s) {
    FILETIME f;
    SystemTimeToFileTime(&s, &f);
    return (static_cast<long long>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10000000;
  };
  return seconds(t) >= seconds(before) && seconds(t) <= seconds(after);
}

class CaptureE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = e2e::MakeInstallFolder(L"capture");
    shots_ = dir_ + L"\\shots";
    CreateDirectoryW(shots_.c_str(), nullptr);
    for (const auto& f : e2e::FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + f).c_str());
    log_ = dir_ + L"\\opened.log";
    e2e::RegisterOpenRecorder({L".jpg", L".bmp", L".png"}, log_);
  }
  // Varnel started with the format, auto-open on, and one capture of the
  // test picture: the files in the folder (one, unless it failed).
  std::vector<std::wstring> CaptureOnce(const char* format, std::unique_ptr<e2e::VarnelProcess>& p) {
    WriteSettings(format, true, shots_);
    p = std::make_unique<e2e::VarnelProcess>(dir_);
    if (!p->Window() || !e2e::PutPictureOnClipboard(kWidth, kHeight)) return {};
    e2e::PressPrintScreen();
    return e2e::WaitForFiles(shots_, 1);
  }
  void WriteSettings(const std::string& format, bool autoOpen, const std::wstring& folder) {
    e2e::WriteFile(dir_ + L"\\Varnel.ini", "[main]\r\npath=" + Narrow(folder) + "\r\nformat=" + format +
                                               "\r\nopen=" + (autoOpen ? "1" : "0") + "\r\n");
  }
  std::wstring dir_, shots_, log_;
};

TEST_F(CaptureE2E, JpegHoldsThePictureAndReachesTheOpenHandler) {
  WriteSettings("JPG", true, shots_);
  e2e::VarnelProcess p(dir_);
  ASSERT_NE(p.Window(), nullptr);
  ASSERT_TRUE(e2e::PutPictureOnClipboard(kWidth, kHeight));
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  e2e::PressPrintScreen();
  auto files = e2e::WaitForFiles(shots_, 1);
  GetLocalTime(&after);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(StampedNear(files[0], L".jpg", before, after)) << Narrow(files[0]);

  const auto bytes = e2e::ReadWhenWritten(shots_ + L"\\" + files[0]);
  ASSERT_TRUE(bytes);
  auto jpeg = varnel::testing::DecodeJpeg(*bytes);
  ASSERT_TRUE(jpeg);
  ASSERT_EQ(jpeg->width, kWidth);
  ASSERT_EQ(jpeg->height, kHeight);
  std::vector<std::uint8_t> expected;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t rgb = e2e::Pattern(x, y);
      expected.insert(expected.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                                       static_cast<std::uint8_t>(rgb >> 16)});
    }
  const double psnr = varnel::testing::Psnr(jpeg->bgr, expected);
  std::printf("JPEG capture of %dx%d: PSNR %.2f dB\n", kWidth, kHeight, psnr);
  EXPECT_GT(psnr, 33.0);

  // The shell is asked to open the file just written.
  const std::string stem = Narrow(files[0].substr(0, 19));
  EXPECT_TRUE(e2e::WaitForLogLine(log_, stem + ".JPG"));
  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

// A new user's first capture: the window that the first run shows, a
// folder typed and applied, then Print Screen. Apply disables itself while
// it holds the keyboard focus; the press still reaches Varnel.
TEST_F(CaptureE2E, AFolderTypedAndAppliedInTheFirstRunsWindowGetsTheNextPress) {
  e2e::DeleteRunEntries();
  e2e::VarnelProcess p(dir_);
  HWND w = p.Window();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(IsWindowVisible(w));
  HWND apply = p.Control(L"&Apply");
  ASSERT_NE(apply, nullptr);
  SendMessageW(FindWindowExW(w, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shots_.c_str()));
  SendMessageW(apply, BM_CLICK, 0, 0);
  ASSERT_FALSE(IsWindowEnabled(apply));

  ASSERT_TRUE(e2e::PutPictureOnClipboard(kWidth, kHeight));
  e2e::PressPrintScreen();
  EXPECT_EQ(e2e::WaitForFiles(shots_, 1).size(), 1u);
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
  e2e::DeleteRunEntries();
}

TEST_F(CaptureE2E, BitmapHoldsThePictureExactly) {
  std::unique_ptr<e2e::VarnelProcess> p;
  const auto files = CaptureOnce("BMP", p);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(e2e::WrongPixels(e2e::ReadWhenWritten(shots_ + L"\\" + files[0]).value_or(""), kWidth, kHeight), 0);
  EXPECT_TRUE(e2e::WaitForLogLine(log_, Narrow(files[0].substr(0, 19)) + ".BMP"));
  PostMessageW(p->Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p->WaitForExit());
}

// PNG: the file passes a strict checker (chunk CRCs, the zlib stream) and
// decodes, with Pillow on the Linux side, to exactly the picture.
TEST_F(CaptureE2E, PngHoldsThePictureExactly) {
  std::unique_ptr<e2e::VarnelProcess> p;
  const auto files = CaptureOnce("PNG", p);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].substr(19), L".png");
  const std::wstring file = shots_ + L"\\" + files[0];
  ASSERT_TRUE(e2e::ReadWhenWritten(file));
  EXPECT_EQ(e2e::WrongPngPixels(file, kWidth, kHeight, e2e::Pattern), 0);
  EXPECT_TRUE(e2e::WaitForLogLine(log_, Narrow(files[0].substr(0, 19)) + ".PNG"));
  PostMessageW(p->Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p->WaitForExit());
}

// A picture put by a program of the other bitness than Varnel's. Windows
// shares bitmaps between all programs; Wine hands a 64-bit program a
// 32-bit program's bitmap as raw memory, and Varnel then takes the packed
// form of the same picture. Where neither can be read, the message says so
// (not that memory ran out).
TEST_F(CaptureE2E, APictureFromAProgramOfTheOtherBitnessIsSavedExactly) {
  if (sizeof(void*) == 4)
    GTEST_SKIP() << "Wine gives a 32-bit program a 64-bit program's bitmap shifted by 8 bytes, which no reader can "
                    "tell; the other way round runs in the x86_64 tests";
  if (GetFileAttributesW(e2e::OtherBitnessPutter().c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no i686 build of clip_putter.exe at " << Narrow(e2e::OtherBitnessPutter());
  if (e2e::Environment(L"VARNEL_WINE_ARCH") == L"win64")
    GTEST_SKIP() << "no 32-bit program runs here: " << Narrow(e2e::Environment(L"VARNEL_WINE_WHY"));
  WriteSettings("BMP", false, shots_);
  e2e::VarnelProcess p(dir_);
  ASSERT_NE(p.Window(), nullptr);
  ASSERT_EQ(e2e::PutPictureFromOtherBitness(kWidth, kHeight, true), 0);
  e2e::PressPrintScreen();
  auto files = e2e::WaitForFiles(shots_, 1);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(e2e::WrongPixels(e2e::ReadWhenWritten(shots_ + L"\\" + files[0]).value_or(""), kWidth, kHeight), 0);
  EXPECT_EQ(e2e::CountMessageBoxes(p.pid()), 0);

  ASSERT_EQ(e2e::PutPictureFromOtherBitness(kWidth, kHeight, false), 0);
  e2e::PressPrintScreen();
  HWND box = e2e::WaitForMessageBox(p.pid());
  ASSERT_NE(box, nullptr);
  const std::wstring text = e2e::MessageBoxText(box);
  EXPECT_NE(text.find(L"The picture on the clipboard could not be read."), std::wstring::npos) << Narrow(text);
  EXPECT_EQ(text.find(L"memory"), std::wstring::npos) << Narrow(text);
  EXPECT_TRUE(e2e::DismissMessageBox(box));
  EXPECT_EQ(e2e::FilesIn(shots_).size(), 1u);
  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

// A picture of 1 Mpx or more is encoded in stripes, one for each processor,
// joined with restart markers; the program still ends cleanly, its threads
// joined.
TEST_F(CaptureE2E, LargeJpegIsEncodedInStripesAndTheProgramEndsCleanly) {
  WriteSettings("JPG", false, shots_);
  e2e::VarnelProcess p(dir_);
  ASSERT_NE(p.Window(), nullptr);
  constexpr int w = 1600, h = 1000;
  ASSERT_TRUE(e2e::PutPictureOnClipboard(w, h));
  e2e::PressPrintScreen();
  auto files = e2e::WaitForFiles(shots_, 1);
  ASSERT_EQ(files.size(), 1u);
  std::optional<varnel::testing::DecodedJpeg> jpeg;
  std::string file;
  for (int i = 0; i < 50 && !jpeg; ++i, Sleep(100)) {  // complete once it decodes
    file = e2e::ReadWhenWritten(shots_ + L"\\" + files[0]).value_or("");
    jpeg = varnel::testing::DecodeJpeg(file);
  }
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, w);
  EXPECT_EQ(jpeg->height, h);
  std::vector<std::uint8_t> expected;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t rgb = e2e::Pattern(x, y);
      expected.insert(expected.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                                       static_cast<std::uint8_t>(rgb >> 16)});
    }
  EXPECT_GT(varnel::testing::Psnr(jpeg->bgr, expected), 33.0);

  SYSTEM_INFO system;
  GetSystemInfo(&system);
  int restarts = 0;
  for (std::size_t i = file.find("\xFF\xDA"); i != std::string::npos && i + 1 < file.size(); ++i)
    restarts += file[i] == '\xFF' && (file[i + 1] & 0xF8) == 0xD0;
  std::printf("%d processors, %d restart markers\n", static_cast<int>(system.dwNumberOfProcessors), restarts);
  if (system.dwNumberOfProcessors > 1) {
    EXPECT_EQ(restarts, static_cast<int>(std::min<DWORD>(system.dwNumberOfProcessors, 8)) - 1);
  }

  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitForExit());
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST_F(CaptureE2E, MissingFolderShowsOneErrorAndWritesNothing) {
  const std::wstring gone = dir_ + L"\\no such folder";
  WriteSettings("JPG", false, gone);
  e2e::VarnelProcess p(dir_);
  ASSERT_NE(p.Window(), nullptr);
  ASSERT_TRUE(e2e::PutPictureOnClipboard(64, 64));
  e2e::PressPrintScreen();
  HWND box = e2e::FindProcessWindow(p.pid(), L"#32770");
  ASSERT_NE(box, nullptr);
  wchar_t title[64];
  GetWindowTextW(box, title, 64);
  EXPECT_EQ(std::wstring(title), L"Error");
  EXPECT_NE(FindWindowExW(box, nullptr, L"Static", L"Capture folder does not exist."), nullptr);
  EXPECT_TRUE(IsWindowVisible(p.Window()));
  EXPECT_EQ(GetWindow(box, GW_OWNER), p.Window());  // over the window shown with it
  Sleep(500);                                       // ticks keep coming while the box is open: still one box
  int boxes = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == p.pid() && IsWindowVisible(w)) ++boxes;
  }
  EXPECT_EQ(boxes, 1);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(GetFileAttributesW(gone.c_str()), INVALID_FILE_ATTRIBUTES);
  PostMessageW(p.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit());
}

}  // namespace
