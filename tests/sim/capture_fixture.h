// A simulated machine with Varnel running and a capture folder C:\Shots:
// what Windows does on Print Screen, and what landed in the folder.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/file_formats.h"
#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/contract/pictures.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {

class CaptureTest : public SimMachine {
 protected:
  void SetUp() override {
    SimMachine::SetUp();
    std::filesystem::create_directories(sim::HostPath("C:\\Shots"));
    sim::SetNow(plat::LocalTime{2026, 3, 2, 14, 5, 7});
  }
  Main& StartWith(const std::string& format, bool autoOpen = false, const std::string& folder = "C:\\Shots") {
    WriteIni("[main]\r\npath=" + folder + "\r\nformat=" + format + "\r\nopen=" + (autoOpen ? "1" : "0") + "\r\n");
    return Start();
  }
  // A screen picture as a bitmap of the screen's format, for the clipboard.
  static plat::Hbitmap ScreenBitmap(std::int32_t width, std::int32_t height, const Paint& paint = Pattern) {
    auto picture = ScreenPicture(width, height, paint);
    if (!picture) {
      ADD_FAILURE() << "no screen picture";
      return {};
    }
    const plat::Hbitmap copy =
        plat::CreateCompatibleBitmap(plat::TakeWindowDC(plat::GetDesktopWindow()).get(), width, height);
    plat::MemoryDC from(plat::CreateCompatibleDC({})), to(plat::CreateCompatibleDC({}));
    const plat::Selection a = plat::SelectInto(from.get(), plat::HandleOf<plat::Hbitmap>(picture->handle()));
    const plat::Selection b = plat::SelectInto(to.get(), copy);
    plat::BitBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, plat::kSrcCopy);
    return copy;
  }
  // Windows' own part of Print Screen: a screen picture on the clipboard.
  static void PutPictureOnClipboard(std::int32_t width, std::int32_t height, const Paint& paint = Pattern) {
    const plat::Hbitmap bitmap = ScreenBitmap(width, height, paint);
    ASSERT_TRUE(plat::OpenClipboard(plat::HandleOf<plat::Hwnd>(0x777)));
    plat::EmptyClipboard();
    plat::SetClipboardData(plat::kCfBitmap, plat::RawHandle(bitmap));
    plat::CloseClipboard();
  }
  // Print Screen pressed and released, as Windows reports it; what comes
  // of it is handled before this returns.
  static void PressAndRelease() {
    sim::RawKey(0x2C, true);
    sim::RawKey(0x2C, false);
    sim::Tick();
  }
  // Something else copied: text (CF_UNICODETEXT), no picture.
  static void PutTextOnClipboard() {
    const plat::Hglobal text = plat::GlobalAlloc(plat::kGmemMoveable, 4);
    ASSERT_TRUE(plat::OpenClipboard(plat::HandleOf<plat::Hwnd>(0x777)));
    plat::EmptyClipboard();
    plat::SetClipboardData(13, plat::RawHandle(text));
    plat::CloseClipboard();
  }
  // The ticks of a wait of `ms` milliseconds.
  static void Wait(std::uint32_t ms) { sim::Tick(static_cast<int>(ms / sim::kTickMs) + 1); }
  static std::vector<std::string> ShotFiles(const std::string& folder = "C:\\Shots") {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(sim::HostPath(folder)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The whole file an encoder makes of a picture: what a lossless
  // format's file of that picture must be, byte for byte.
  static std::string Encoded(const char16_t* code, std::int32_t width, std::int32_t height,
                             const Paint& paint = Pattern) {
    cDIBSection picture;
    EXPECT_TRUE(picture.Create(width, height));
    Fill(picture, paint);
    const EncodedFile file = FormatOf(FormatCode(code)).encode(picture.View());
    std::string bytes;
    for (const plat::FilePiece& p : file.pieces) bytes.append(reinterpret_cast<const char*>(p.data), p.size);
    return bytes;
  }
  // A JPEG file's peak signal-to-noise ratio against the picture, in dB;
  // 0 for a file that is no JPEG of its size.
  static double JpegPsnr(const std::string& file, std::int32_t width, std::int32_t height, const Paint& paint) {
    const auto decoded = DecodeJpeg(file);
    if (!decoded || decoded->width != width || decoded->height != height) return 0;
    std::vector<std::uint8_t> expected;
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x)
        for (int shift : {0, 8, 16}) expected.push_back(static_cast<std::uint8_t>(paint(x, y) >> shift));
    return Psnr(decoded->bgr, expected);
  }
  static std::string Shot(const std::string& name) {
    return *plat::testing::ReadFileBytes(plat::FromUtf8("C:\\Shots\\" + name));
  }
};

}  // namespace varnel::testing
