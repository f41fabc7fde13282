// "Only the screen under the mouse pointer" for real under Wine, on a
// display with two monitors side by side (tests/wine/two-monitors.sh): a
// picture of the whole desktop on the clipboard, the X pointer moved onto
// one monitor, Print Screen, and the file Varnel.exe writes, which must
// hold exactly that monitor's part of the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/contract/jpeg_decode.h"
#include "tests/support/win32/driver.h"
#include "tests/wine/png_pixels.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM list) {
  reinterpret_cast<std::vector<RECT>*>(list)->push_back(*r);
  return TRUE;
}

std::vector<RECT> Monitors() {
  std::vector<RECT> found;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
  return found;
}

class TwoMonitorsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = std::getenv("VARNEL_TWO_MONITORS_WHY")) GTEST_SKIP() << why;
    monitors_ = Monitors();
    ASSERT_EQ(monitors_.size(), 2u) << "the display has not two monitors";
    desktop_ = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    dir_ = e2e::MakeInstallFolder(L"monitors");
    shots_ = dir_ + L"\\shots";
    CreateDirectoryW(shots_.c_str(), nullptr);
    for (const auto& f : e2e::FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + f).c_str());
  }
  void Start(const std::string& format, bool cut) {
    e2e::WriteFile(dir_ + L"\\Varnel.ini", "[main]\r\npath=" + std::string(shots_.begin(), shots_.end()) +
                                               "\r\nformat=" + format + "\r\nopen=0\r\nscreen=" + (cut ? "1" : "0") +
                                               "\r\n");
    p_ = std::make_unique<e2e::VarnelProcess>(dir_);
    ASSERT_NE(p_->Window(), nullptr);
  }
  void Stop() {
    if (!p_) return;
    PostMessageW(p_->Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(p_->WaitForExit());
    p_.reset();
  }
  void TearDown() override { Stop(); }
  int Width() const { return desktop_.right - desktop_.left; }
  int Height() const { return desktop_.bottom - desktop_.top; }
  // The desktop's picture: a smooth ramp, as JPEG is made for, with each
  // monitor's number in red, black off the monitors; x and y from the
  // virtual screen's top-left corner.
  e2e::Paint Desktop() const {
    return [monitors = monitors_, origin = desktop_](int x, int y) -> std::uint32_t {
      const POINT p{x + origin.left, y + origin.top};
      for (std::size_t i = 0; i < monitors.size(); ++i)
        if (PtInRect(&monitors[i], p))
          return static_cast<std::uint32_t>((x / 4) & 0xFF) | static_cast<std::uint32_t>(((y / 3) & 0xFF) << 8) |
                 static_cast<std::uint32_t>(0x50 + 0x60 * i) << 16;
      return 0;
    };
  }
  // The pointer to the middle of the monitor, with the X server's own
  // pointer, whose coordinates start at the virtual screen's corner.
  void PointerOn(const RECT& m) {
    const POINT middle{(m.left + m.right) / 2, (m.top + m.bottom) / 2};
    ASSERT_TRUE(e2e::XDo("mousemove " + std::to_string(middle.x - desktop_.left) + " " +
                         std::to_string(middle.y - desktop_.top)));
    POINT seen{};
    for (int i = 0; i < 50 && (GetCursorPos(&seen), seen.x != middle.x || seen.y != middle.y); ++i) Sleep(20);
    ASSERT_EQ(seen.x, middle.x);
    ASSERT_EQ(seen.y, middle.y);
  }
  // Print Screen with the desktop's picture on the clipboard: the file it
  // made (the newest of `count` in the folder).
  std::wstring Capture(std::size_t count) {
    if (!e2e::PutPictureOnClipboard(Width(), Height(), Desktop())) return {};
    e2e::PressPrintScreen();
    const auto files = e2e::WaitForFiles(shots_, count);
    if (files.size() != count) return {};
    std::wstring newest = files.front();
    for (const auto& f : files)
      if (f.size() > newest.size() || (f.size() == newest.size() && f > newest)) newest = f;
    return shots_ + L"\\" + newest;
  }
  // How far the file is from the rectangle of the desktop's picture: the
  // wrong pixels of a lossless file, for a JPEG 0 when it holds the
  // rectangle at 40 dB or better.
  int Wrong(const std::string& format, const std::wstring& file, const RECT& r) const {
    const auto bytes = e2e::ReadWhenWritten(file);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!bytes) return w * h;
    const e2e::Paint desktop = Desktop();
    const e2e::Paint expected = [&](int x, int y) {
      return desktop(x + r.left - desktop_.left, y + r.top - desktop_.top);
    };
    if (format == "BMP") return e2e::WrongPixels(*bytes, w, h, expected);
    if (format == "JPG") {
      const auto decoded = varnel::testing::DecodeJpeg(*bytes);
      if (!decoded || decoded->width != w || decoded->height != h) return w * h;
      std::vector<std::uint8_t> want;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          for (int shift : {0, 8, 16}) want.push_back(static_cast<std::uint8_t>(expected(x, y) >> shift));
      const double psnr = varnel::testing::Psnr(decoded->bgr, want);
      return psnr >= 40.0 ? 0 : w * h;
    }
    return e2e::WrongPngPixels(file, w, h, expected);
  }

  std::vector<RECT> monitors_;
  RECT desktop_{};
  std::wstring dir_, shots_;
  std::unique_ptr<e2e::VarnelProcess> p_;
};

TEST_F(TwoMonitorsE2E, EachMonitorIsSavedInItsOwnPixelsInEveryFormat) {
  for (const std::string format : {"BMP", "PNG", "JPG"}) {
    SCOPED_TRACE(format);
    Stop();
    for (const auto& f : e2e::FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + f).c_str());
    Start(format, true);
    std::size_t count = 0;
    for (const RECT& m : monitors_) {
      SCOPED_TRACE(testing::Message() << "monitor at " << m.left << ", " << m.top);
      PointerOn(m);
      const std::wstring file = Capture(++count);
      ASSERT_FALSE(file.empty());
      EXPECT_EQ(Wrong(format, file, m), 0);
    }
  }
}

TEST_F(TwoMonitorsE2E, WithTheOptionOffTheWholeDesktopIsSaved) {
  Start("BMP", false);
  PointerOn(monitors_[1]);
  const std::wstring file = Capture(1);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(Wrong("BMP", file, desktop_), 0);
}

}  // namespace
