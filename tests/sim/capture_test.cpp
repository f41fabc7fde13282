// Print Screen to a file, on the simulated platform.
#include <turbojpeg.h>

#include "platform/api.h"
#include "platform/error.h"
#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

// Where Windows refuses raw input, the key is polled on the timer: any bit
// of the reading counts as down, the lowest alone (pressed between two
// ticks) included, and the capture follows on the next tick.
TEST_F(CaptureTest, WithoutRawInputTheKeyIsPolled) {
  sim::InjectFault("RegisterRawInputDevices", 0);
  StartWith("JPG");
  EXPECT_FALSE(sim::WatchingKeyboard());
  PutPictureOnClipboard(64, 48);
  sim::QueueKeyState(0x2C, {1});
  sim::Tick();
  EXPECT_TRUE(main().capture().KeyWasDown());
  EXPECT_TRUE(ShotFiles().empty());
  sim::Tick();
  EXPECT_FALSE(main().capture().KeyWasDown());
  EXPECT_EQ(ShotFiles(), std::vector<std::string>{"2026-03-02-14-05-07.jpg"});

  // Idle ticks: one key query each, nothing else.
  sim::ClearCalls();
  sim::Tick(5);
  EXPECT_EQ(sim::Calls(), std::vector<std::string>(5, "GetAsyncKeyState(44)"));
}

// The keyboard repeats a held key: one file, stamped at the release.
TEST_F(CaptureTest, HeldKeyGivesOneFileStampedAtTheRelease) {
  StartWith("JPG");
  PutPictureOnClipboard(64, 48);
  for (int i = 0; i < 60; ++i) {
    sim::RawKey(0x2C, true);
    sim::Tick(2);
  }
  EXPECT_TRUE(ShotFiles().empty());
  sim::SetNow(plat::LocalTime{2026, 3, 2, 14, 5, 9});
  sim::RawKey(0x2C, false);
  sim::Tick();
  EXPECT_EQ(ShotFiles(), std::vector<std::string>{"2026-03-02-14-05-09.jpg"});
}

// One buffer, kept while captures come in a burst, takes every capture of
// its size: no new memory for the next screen, a new buffer only for
// another size.
TEST_F(CaptureTest, OneBufferServesEveryCaptureOfItsSize) {
  StartWith("JPG");
  for (const auto& [w, h, sections] : {std::tuple{64, 48, 1u}, std::tuple{64, 48, 0u}, std::tuple{30, 20, 1u}}) {
    PutPictureOnClipboard(w, h);
    sim::ClearCalls();
    PressAndRelease();
    EXPECT_EQ(sim::CountCalls("CreateDIBSection"), sections);
    EXPECT_EQ(sim::LiveGdiObjects(), 2u);  // its device context and DIB section
  }
  EXPECT_EQ(ShotFiles().size(), 3u);
}

TEST_F(CaptureTest, JpegHoldsTheClipboardPicture) {
  StartWith("JPG");
  PutPictureOnClipboard(120, 80);
  PressAndRelease();
  const std::string jpeg = Shot("2026-03-02-14-05-07.jpg");
  tjhandle tj = tjInitDecompress();
  int w = 0, h = 0, sub = 0, space = 0;
  ASSERT_EQ(tjDecompressHeader3(tj, reinterpret_cast<const unsigned char*>(jpeg.data()),
                                static_cast<unsigned long>(jpeg.size()), &w, &h, &sub, &space),
            0);
  tjDestroy(tj);
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 80);
  EXPECT_EQ(sub, TJSAMP_444);
}

TEST_F(CaptureTest, BitmapWithAutoOpen) {
  StartWith("BMP", true);
  PutPictureOnClipboard(5, 3);
  PressAndRelease();
  ASSERT_EQ(ShotFiles(), std::vector<std::string>{"2026-03-02-14-05-07.bmp"});
  const std::string bmp = Shot("2026-03-02-14-05-07.bmp");
  // 24 bits a pixel, bottom-up, rows padded to 16 bytes for a width of 5.
  ASSERT_EQ(bmp.size(), 54u + 16u * 3u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<std::uint8_t>(bmp[28]), 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>(2 - y) * 16 + static_cast<std::size_t>(x) * 3;
      const std::uint32_t rgb = static_cast<std::uint8_t>(bmp[at]) |
                                static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 1]) << 8) |
                                static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 2]) << 16);
      EXPECT_EQ(rgb, Pattern(x, y)) << x << "," << y;
    }
  ASSERT_EQ(sim::ShellExecutions().size(), 1u);
  EXPECT_EQ(sim::ShellExecutions()[0].verb, "open");
  EXPECT_EQ(sim::ShellExecutions()[0].file, "C:\\Shots\\2026-03-02-14-05-07.BMP");
  EXPECT_EQ(sim::ShellExecutions()[0].hwnd, plat::RawHandle(form().hWnd()));
  EXPECT_EQ(sim::ShellExecutions()[0].show, 1);
}

TEST_F(CaptureTest, FolderAtADrivesRoot) {
  std::filesystem::create_directories(sim::HostPath("D:\\"));
  StartWith("JPG", false, "D:\\");
  PutPictureOnClipboard(8, 8);
  PressAndRelease();
  EXPECT_TRUE(std::filesystem::exists(sim::HostPath("D:\\2026-03-02-14-05-07.jpg")));
  EXPECT_EQ(sim::CountCalls("ijlWrite(9,(memory),DIB 8x-8 pad 0,JPG 8x8 q 90)"), 1u);
}

TEST_F(CaptureTest, MissingOrEmptyFolderShowsOneMessagePerRelease) {
  for (const char* folder : {"C:\\Gone", ""}) {
    SCOPED_TRACE(folder);
    SetUp();
    StartWith("JPG", true, folder);
    PutPictureOnClipboard(8, 8);
    PressAndRelease();
    EXPECT_TRUE(form().Visible());
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].prompt, u"Capture folder does not exist.");
    EXPECT_EQ(sim::MessageBoxes()[0].title, u"Error");
    EXPECT_FALSE(main().capture().KeyWasDown());
    EXPECT_TRUE(sim::ShellExecutions().empty());
    EXPECT_EQ(sim::CountCalls("ijlWrite"), 0u);
    // The next press tries again.
    PressAndRelease();
    EXPECT_EQ(sim::MessageBoxes().size(), 2u);
  }
}

TEST_F(CaptureTest, FolderDeletedWhileRunning) {
  StartWith("BMP");
  PutPictureOnClipboard(8, 8);
  PressAndRelease();
  std::filesystem::remove_all(sim::HostPath("C:\\Shots"));
  PressAndRelease();
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(sim::HostPath("C:\\Shots")));
}

TEST_F(CaptureTest, MetafileAloneIsNoPictureAndNothingIsOpened) {
  StartWith("JPG", true);
  ASSERT_TRUE(plat::OpenClipboard(plat::HandleOf<plat::Hwnd>(0x777)));
  plat::EmptyClipboard();
  plat::SetClipboardData(14, 0x5555);  // CF_ENHMETAFILE
  plat::CloseClipboard();
  PressAndRelease();
  sim::Tick(70);  // a second's worth of ticks
  EXPECT_TRUE(ShotFiles().empty());
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);  // no new picture: explained once
  EXPECT_TRUE(sim::ShellExecutions().empty());
  EXPECT_EQ(sim::LiveGdiObjects(), 0u);
}

// The settings file's code picks the format, case aside (it is read in
// capitals); a code that names none is JPEG. Auto-open gets the name with
// the code as its extension; with auto-open off nothing is opened.
TEST_F(CaptureTest, FormatCodesPickTheFormat) {
  struct Row {
    const char* code;
    bool autoOpen;
    const char* file;
    const char* opened;  // nullptr: nothing
    std::string signature;
  } rows[] = {
      {"png", true, "2026-03-02-14-05-07.png", "C:\\Shots\\2026-03-02-14-05-07.PNG", "\x89PNG\r\n\x1a\n"},
      {"gif", true, "2026-03-02-14-05-07.jpg", "C:\\Shots\\2026-03-02-14-05-07.JPG", "\xFF\xD8\xFF"},
      {"Bmp", true, "2026-03-02-14-05-07.bmp", "C:\\Shots\\2026-03-02-14-05-07.BMP", "BM"},
      {"JPG", false, "2026-03-02-14-05-07.jpg", nullptr, "\xFF\xD8\xFF"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.code) + (row.autoOpen ? ", auto-open" : ""));
    SetUp();
    StartWith(row.code, row.autoOpen);
    PutPictureOnClipboard(8, 8);
    PressAndRelease();
    ASSERT_EQ(ShotFiles(), std::vector<std::string>{row.file});
    EXPECT_EQ(Shot(row.file).substr(0, row.signature.size()), row.signature);
    std::vector<std::string> opened;
    for (const auto& e : sim::ShellExecutions()) opened.push_back(e.file);
    EXPECT_EQ(opened, row.opened ? std::vector<std::string>{row.opened} : std::vector<std::string>{});
  }
}

TEST_F(CaptureTest, CapturesOfOneSecondAllKeptUnderTheirOwnNames) {
  for (const char* format : {"JPG", "BMP"}) {
    SCOPED_TRACE(format);
    SetUp();
    StartWith(format, true);
    for (int i = 0; i < 5; ++i) {
      PutPictureOnClipboard(8, 8);
      PressAndRelease();
    }
    const std::string ext = std::string(format) == "BMP" ? "bmp" : "jpg";
    std::vector<std::string> expected{"2026-03-02-14-05-07-2." + ext, "2026-03-02-14-05-07-3." + ext,
                                      "2026-03-02-14-05-07-4." + ext, "2026-03-02-14-05-07-5." + ext,
                                      "2026-03-02-14-05-07." + ext};
    EXPECT_EQ(ShotFiles(), expected);
    // Auto-open gets the file each capture actually wrote.
    ASSERT_EQ(sim::ShellExecutions().size(), 5u);
    EXPECT_EQ(sim::ShellExecutions()[1].file, "C:\\Shots\\2026-03-02-14-05-07-2." + std::string(format));
  }
}

}  // namespace
}  // namespace varnel::testing
