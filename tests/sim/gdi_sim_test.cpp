// The simulated graphics and clipboard where tests rely on them beyond what
// the contract tests pin to Wine: the screen picture, object counts,
// refusals, and the clipboard's open state and owner.
#include <gtest/gtest.h>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "platform/sim/sim.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_support.h"

namespace {

// The simulated form's window.
constexpr plat::Hwnd kForm = plat::HandleOf<plat::Hwnd>(0x10010);

using varnel::cDIBSection;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;

class GdiSimTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  void TearDown() override { EXPECT_EQ(sim::LiveGdiObjects(), 0u); }
};

TEST_F(GdiSimTest, TheDesktopContextDrawsOnTheScreenPicture) {
  sim::SetScreen(300, 200, Pattern);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(30, 20));
  {
    plat::WindowDC desktop = plat::TakeWindowDC(plat::GetDesktopWindow());
    dib.LoadPictureBlt(desktop.get(), 270, 180);
    EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return Pattern(x + 270, y + 180); }), "");
    Fill(dib, [](auto, auto) { return 0x010203u; });
    dib.PaintPicture(desktop.get(), 290, 195);
  }
  EXPECT_EQ(sim::ScreenPixel(289, 199), Pattern(289, 199));
  EXPECT_EQ(sim::ScreenPixel(290, 195), 0x010203u);
  EXPECT_EQ(sim::ScreenPixel(299, 199), 0x010203u);
}

TEST_F(GdiSimTest, OperationsOnThePatternAreRefused) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  Fill(dib, Pattern);
  EXPECT_FALSE(plat::BitBlt(dib.hdc(), 0, 0, 4, 4, {}, 0, 0, plat::kPatCopy));
  EXPECT_FALSE(plat::BitBlt(dib.hdc(), 0, 0, 4, 4, dib.hdc(), 0, 0, 0x00FC008A));  // PATPAINT... with source
  EXPECT_EQ(FirstDifference(dib, Pattern), "");
  // A source operation without a source context, and no destination.
  EXPECT_FALSE(plat::BitBlt(dib.hdc(), 0, 0, 4, 4, {}, 0, 0, plat::kSrcCopy));
  EXPECT_FALSE(plat::BitBlt({}, 0, 0, 4, 4, dib.hdc(), 0, 0, plat::kSrcCopy));
  // Operations on the destination alone need no source.
  EXPECT_TRUE(plat::BitBlt(dib.hdc(), 0, 0, 4, 4, {}, 0, 0, plat::kDstInvert));
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return ~Pattern(x, y) & 0xFFFFFFu; }), "");
}

TEST_F(GdiSimTest, ObjectsAreCountedUntilTheyGo) {
  const plat::Hdc screen = plat::GetDC({});
  EXPECT_EQ(sim::LiveGdiObjects(), 1u);
  const plat::Hdc dc = plat::CreateCompatibleDC(screen);
  const plat::Hdc other = plat::CreateCompatibleDC(screen);
  const plat::Hbitmap bitmap = plat::CreateCompatibleBitmap(screen, 8, 8);
  EXPECT_EQ(sim::LiveGdiObjects(), 4u);

  const plat::Hbitmap stock = plat::SelectObject(dc, bitmap);
  ASSERT_NE(stock, plat::Hbitmap{});
  // One context at a time; never a window's context.
  EXPECT_EQ(plat::SelectObject(other, bitmap), plat::Hbitmap{});
  EXPECT_EQ(plat::SelectObject(screen, bitmap), plat::Hbitmap{});
  // Deleting a selected bitmap waits until it is deselected.
  EXPECT_TRUE(plat::DeleteObject(bitmap));
  EXPECT_EQ(sim::LiveGdiObjects(), 4u);
  EXPECT_EQ(plat::SelectObject(dc, stock), bitmap);
  EXPECT_EQ(sim::LiveGdiObjects(), 3u);
  EXPECT_FALSE(plat::DeleteObject(bitmap));
  // The stock bitmap is never deleted; a zero size hands it out.
  EXPECT_TRUE(plat::DeleteObject(stock));
  EXPECT_EQ(plat::CreateCompatibleBitmap(screen, 0, 5), stock);

  EXPECT_FALSE(plat::DeleteDC(screen));  // released, not deleted
  EXPECT_TRUE(plat::DeleteDC(dc));
  EXPECT_TRUE(plat::DeleteDC(other));
  EXPECT_FALSE(plat::DeleteDC(other));
  EXPECT_EQ(plat::ReleaseDC({}, screen), 1);
  EXPECT_EQ(plat::ReleaseDC({}, screen), 0);
}

TEST_F(GdiSimTest, ClipboardOpenStateAndOwner) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  EXPECT_FALSE(plat::EmptyClipboard());  // not open
  EXPECT_EQ(plat::SetClipboardData(plat::kCfBitmap, plat::RawHandle(dib.hDib())), 0u);
  EXPECT_FALSE(plat::CloseClipboard());

  ASSERT_TRUE(plat::OpenClipboard(kForm));
  EXPECT_TRUE(plat::OpenClipboard(kForm));  // again, for the same window
  EXPECT_FALSE(plat::OpenClipboard({}));
  EXPECT_TRUE(plat::EmptyClipboard());
  EXPECT_EQ(plat::GetClipboardOwner(), kForm);
  EXPECT_EQ(plat::SetClipboardData(plat::kCfBitmap, 12345), 0u);  // not a bitmap
  EXPECT_TRUE(plat::CloseClipboard());
  EXPECT_FALSE(plat::IsClipboardFormatAvailable(plat::kCfBitmap));

  // Emptying the clipboard destroys the bitmap it held.
  ASSERT_TRUE(dib.CopyToClipboard(false));
  const plat::Handle held = sim::ClipboardData(plat::kCfBitmap);
  ASSERT_TRUE(plat::OpenClipboard({}) && plat::EmptyClipboard() && plat::CloseClipboard());
  EXPECT_EQ(sim::BitmapBitsPixel(held), 0);

  sim::OtherProgramOpensClipboard(0x30030);
  EXPECT_FALSE(plat::OpenClipboard({}));
  EXPECT_FALSE(plat::CloseClipboard());  // not ours to close
  EXPECT_EQ(plat::GetClipboardData(plat::kCfBitmap), 0u);
  sim::OtherProgramClosesClipboard();
  EXPECT_TRUE(plat::OpenClipboard({}));
  EXPECT_TRUE(plat::CloseClipboard());
}

}  // namespace
