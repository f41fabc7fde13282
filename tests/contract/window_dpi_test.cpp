// The window laid out for the dots per inch of its monitor, the same on the
// simulated platform and on Wine. Moved to a monitor of another dpi, a
// per-monitor aware window hears of it by WM_DPICHANGED and must lay
// itself out again: "The current DPI for a window always equals the last
// DPI sent by WM_DPICHANGED. This is the scale factor that the window
// should be scaling to", and lParam holds "a suggested size and position
// of the current window scaled for the new DPI" (learn.microsoft.com,
// WM_DPICHANGED message). Wine never sends it; the test sends it as
// Windows would.
#include <gtest/gtest.h>

#include "platform/toolkit.h"
#include "tests/support/test_desktop.h"
#include "tests/support/test_support.h"

namespace {

// Twips as pixels at `dpi`, to the nearest pixel (halves up).
int Px(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

TEST(WindowDpiTest, AMoveToAMonitorOfAnotherDpiLaysTheWindowOutAgain) {
  plat::testing::BeginTest();
  // Lengths that fall between pixels at some of the dpis (90 twips: 7.5
  // pixels at 120 dpi; 195: 19.5 at 144).
  plat::FormDesign design{u"Window dpi", 4275, 2400, {}};
  design.controls = {{u"Title", plat::ControlKind::Label, u"Title", 90, 180, 4095, 195, 0, plat::Align::Center},
                     {u"Check", plat::ControlKind::CheckBox, u"&Check", 420, 600, 3465, 195, 1},
                     {u"Text", plat::ControlKind::TextBox, u"", 120, 1000, 4035, 285, 2},
                     {u"Press", plat::ControlKind::Button, u"&Press", 2190, 1500, 1965, 315, 3},
                     {u"Option", plat::ControlKind::OptionButton, u"&Option", 1620, 1980, 855, 195, 4}};
  plat::Form form(design);
  form.Load();

  const auto expectLaidOutFor = [&](int dpi, int fontHeight) {
    const plat::WindowLayout layout = form.peer().Layout();
    EXPECT_EQ(layout.dpi, dpi);
    EXPECT_EQ(layout.clientWidth, Px(design.clientWidth, dpi));
    EXPECT_EQ(layout.clientHeight, Px(design.clientHeight, dpi));
    ASSERT_EQ(layout.controls.size(), design.controls.size());
    for (std::size_t i = 0; i < design.controls.size(); ++i) {
      const plat::ControlDesign& c = design.controls[i];
      EXPECT_EQ(layout.controls[i],
                (plat::PlacedControl{Px(c.left, dpi), Px(c.top, dpi), Px(c.width, dpi), Px(c.height, dpi), fontHeight}))
          << "control " << i;
    }
  };
  // The test's display runs at 96 dots per inch.
  expectLaidOutFor(96, -11);

  // Up, further up, down, and back where it began. The font: 8 points.
  const struct {
    int dpi;
    int fontHeight;
  } rows[] = {{144, -16}, {192, -21}, {120, -13}, {96, -11}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dpi);
    const plat::Point origin{row.dpi, row.dpi / 2};
    plat::testing::MoveToMonitorOfDpi(form, row.dpi, origin);
    expectLaidOutFor(row.dpi, row.fontHeight);
    EXPECT_EQ(form.peer().Layout().origin, origin);
  }
}

}  // namespace
