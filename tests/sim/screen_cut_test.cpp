// "Only the screen under the mouse pointer": a plain Print Screen's picture
// of the whole desktop is saved as the monitor the pointer was on at the
// key-down, in that monitor's true pixels; anything else is saved whole.
// The monitors are small stand-ins for real ones (a tenth of the size).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/sim/sim.h"
#include "tests/sim/capture_fixture.h"

namespace varnel::testing {
namespace {

using Layout = std::vector<sim::Monitor>;

// The virtual screen: the rectangle around every monitor.
plat::Rect Around(const Layout& layout) {
  plat::Rect all = layout.front().rect;
  for (const sim::Monitor& m : layout)
    all = {std::min(all.left, m.rect.left), std::min(all.top, m.rect.top), std::max(all.right, m.rect.right),
           std::max(all.bottom, m.rect.bottom)};
  return all;
}

// A desktop picture whose monitors each hold their own content: a smooth
// ramp, as JPEG is made for, with the monitor's number in red; black
// between monitors. x and y count from the virtual screen's top-left.
Paint Desktop(const Layout& layout) {
  const plat::Rect all = Around(layout);
  return [layout, all](std::int32_t x, std::int32_t y) -> std::uint32_t {
    const std::int32_t dx = x + all.left, dy = y + all.top;
    for (std::size_t i = 0; i < layout.size(); ++i) {
      const plat::Rect& r = layout[i].rect;
      if (dx >= r.left && dx < r.right && dy >= r.top && dy < r.bottom)
        return static_cast<std::uint32_t>((x * 5) & 0xFF) | static_cast<std::uint32_t>(((y * 7) & 0xFF) << 8) |
               static_cast<std::uint32_t>(0x40 + 0x50 * i) << 16;
    }
    return 0;
  };
}

class ScreenCutTest : public CaptureTest {
 protected:
  // With the option on (or not), in `format`.
  void StartCutting(const std::string& format, bool on = true) {
    WriteIni("[main]\r\npath=C:\\Shots\r\nformat=" + format + "\r\nopen=0\r\nscreen=" + (on ? "1" : "0") + "\r\n");
    Start();
  }
  static void SetSnipping() {
    sim::SetRawValue(plat::kHKeyCurrentUser, "Control Panel\\Keyboard", "PrintScreenKeyForSnippingEnabled",
                     {plat::kRegDword, {1, 0, 0, 0}});
  }
};

// Each layout with the pointer where the row puts it at the key-down; the
// file must hold exactly the expected monitor's part of the desktop (or
// the whole picture), in each format: bitmap and PNG byte for byte, JPEG
// at 40 dB or better.
TEST_F(ScreenCutTest, ThePictureIsCutToTheMonitorUnderThePointer) {
  const Layout one{{{0, 0, 192, 108}, 96, true}};
  const Layout sideBySide{{{0, 0, 192, 108}, 96, true}, {{192, 0, 384, 108}, 96, false}};
  // A 1366 x 768 laptop left of and above the main one: negative
  // coordinates, and rows that need the bitmap file's padding.
  const Layout leftAbove{{{0, 0, 192, 108}, 96, true}, {{-137, -77, 0, 0}, 96, false}};
  // A 1080p monitor at 100 % beside a 4K one at 150 %.
  const Layout mixed{{{0, 0, 192, 108}, 96, true}, {{192, 0, 576, 216}, 144, false}};
  // A smaller second monitor: below it the desktop has no monitor.
  const Layout uneven{{{0, 0, 192, 108}, 96, true}, {{192, 0, 294, 76}, 96, false}};
  enum class Key { Plain, Alt, Snip };
  struct Row {
    const char* what;
    Layout layout;
    plat::Point pointer;
    std::optional<std::size_t> monitor;  // the one the file shows; nullopt: the whole picture
    Key key = Key::Plain;
    bool on = true;
    std::optional<plat::Point> pictureSize = std::nullopt;  // nullopt: the virtual screen's
    std::optional<plat::Point> movedBeforeRelease = std::nullopt;
  } rows[] = {
      {"one monitor", one, {50, 50}, 0},
      {"two side by side, pointer on the first", sideBySide, {10, 10}, 0},
      {"two side by side, pointer on the second", sideBySide, {250, 50}, 1},
      {"second left of and above the main one, pointer on it", leftAbove, {-60, -50}, 1},
      {"second left of and above the main one, pointer on the main one", leftAbove, {100, 100}, 0},
      {"100 % beside 150 %, pointer on the 150 % one", mixed, {400, 200}, 1},
      {"100 % beside 150 %, pointer on the 100 % one", mixed, {5, 100}, 0},
      {"pointer on the first pixel of the second monitor", sideBySide, {192, 0}, 1},
      {"pointer on the last pixel of the first monitor", sideBySide, {191, 107}, 0},
      {"pointer below the smaller monitor: the nearest", uneven, {250, 100}, 1},
      {"pointer moved to the other monitor before the release",
       sideBySide,
       {250, 50},
       1,
       Key::Plain,
       true,
       std::nullopt,
       plat::Point{10, 10}},
      {"a picture of another size than the desktop",
       sideBySide,
       {250, 50},
       std::nullopt,
       Key::Plain,
       true,
       plat::Point{192, 108}},
      {"Alt+Print Screen: a window", sideBySide, {250, 50}, std::nullopt, Key::Alt},
      {"a snip", sideBySide, {250, 50}, std::nullopt, Key::Snip},
      {"the option off", sideBySide, {250, 50}, std::nullopt, Key::Plain, false},
  };
  for (const char* format : {"BMP", "PNG", "JPG"}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(format) + ": " + row.what);
      SetUp();
      sim::SetMonitors(row.layout);
      sim::PointerAt(row.pointer);
      if (row.key == Key::Snip) SetSnipping();
      StartCutting(format, row.on);

      const plat::Rect all = Around(row.layout);
      const plat::Point size = row.pictureSize.value_or(plat::Point{all.right - all.left, all.bottom - all.top});
      const Paint desktop = Desktop(row.layout);
      if (row.key == Key::Alt) sim::RawKey(0x12, true);
      sim::RawKey(0x2C, true);
      sim::Pump();
      if (row.movedBeforeRelease) sim::PointerAt(*row.movedBeforeRelease);
      if (row.key != Key::Snip) PutPictureOnClipboard(size.x, size.y, desktop);
      sim::RawKey(0x2C, false);
      sim::Pump();
      if (row.key == Key::Alt) sim::RawKey(0x12, false);
      if (row.key == Key::Snip) {
        Wait(500);
        PutPictureOnClipboard(size.x, size.y, desktop);
      }
      sim::Pump();
      sim::Tick();

      // The expected picture, from the layout alone.
      plat::Rect cut{0, 0, size.x, size.y};
      if (row.monitor) {
        const plat::Rect& m = row.layout[*row.monitor].rect;
        cut = {m.left - all.left, m.top - all.top, m.right - all.left, m.bottom - all.top};
      }
      const std::int32_t width = cut.right - cut.left, height = cut.bottom - cut.top;
      const Paint expected = [&](std::int32_t x, std::int32_t y) { return desktop(x + cut.left, y + cut.top); };

      const auto files = ShotFiles();
      ASSERT_EQ(files.size(), 1u);
      const std::string file = Shot(files[0]);
      if (std::string(format) == "JPG")
        EXPECT_GE(JpegPsnr(file, width, height, expected), 40.0);
      else
        EXPECT_TRUE(file == Encoded(plat::FromUtf8(format).c_str(), width, height, expected))
            << "not the " << width << " x " << height << " picture at " << cut.left << ", " << cut.top;
      EXPECT_TRUE(sim::MessageBoxes().empty());
    }
  }
}

// A cut capture whose file could not be written keeps the whole picture
// with its cut: Save as writes the monitor, not the desktop.
TEST_F(ScreenCutTest, ACaptureSavedElsewhereAfterAFailedWriteIsTheMonitor) {
  const Layout layout{{{0, 0, 192, 108}, 96, true}, {{192, 0, 384, 108}, 96, false}};
  std::filesystem::create_directories(sim::HostPath("D:\\Saved"));
  sim::SetMonitors(layout);
  sim::PointerAt({250, 50});
  StartCutting("PNG");
  sim::QueueTaskBoxAnswer(u"Save as\u2026");
  sim::QueueSaveDialogAnswer({"D:\\Saved\\kept"});
  const Paint desktop = Desktop(layout);
  PutPictureOnClipboard(384, 108, desktop);
  sim::SetFreeSpace('C', 100);
  PressAndRelease();

  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  const auto saved = plat::testing::ReadFileBytes(u"D:\\Saved\\kept.png");
  ASSERT_TRUE(saved);
  EXPECT_TRUE(*saved == Encoded(u"PNG", 192, 108, [&](std::int32_t x, std::int32_t y) { return desktop(x + 192, y); }));
}

}  // namespace
}  // namespace varnel::testing
