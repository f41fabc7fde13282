// The graphics calls themselves, where the image buffer relies on what
// Windows does: the same cases on the simulated platform and on Wine.
#include <gtest/gtest.h>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::BitmapDC;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
  static plat::Bitmap Describe(plat::Hbitmap h) {
    plat::Bitmap bm{};
    EXPECT_EQ(plat::GetObjectA(h, sizeof bm, &bm), static_cast<std::int32_t>(sizeof bm));
    return bm;
  }
};

TEST_F(GdiTest, BitmapFormats) {
  plat::WindowDC screen = plat::TakeWindowDC(plat::GetDesktopWindow());
  ASSERT_TRUE(screen);
  plat::MemoryDC memory(plat::CreateCompatibleDC(screen.get()));
  ASSERT_TRUE(memory);

  // A screen-compatible bitmap: 32 bits a pixel, no pixel address.
  plat::GdiObject colour(plat::CreateCompatibleBitmap(screen.get(), 5, 3));
  ASSERT_TRUE(colour);
  plat::Bitmap bm = Describe(colour.get());
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidthBytes, 20);
  EXPECT_EQ(bm.bmBits, nullptr);

  // A new memory context holds a 1 x 1 monochrome bitmap, and what is made
  // compatible with it is monochrome too.
  plat::GdiObject mono(plat::CreateCompatibleBitmap(memory.get(), 5, 3));
  ASSERT_TRUE(mono);
  EXPECT_EQ(Describe(mono.get()).bmBitsPixel, 1);
  const plat::Hbitmap stock = plat::SelectObject(memory.get(), colour.get());
  ASSERT_NE(stock, plat::Hbitmap{});
  bm = Describe(stock);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  // SelectObject hands back what was selected.
  EXPECT_EQ(plat::SelectObject(memory.get(), mono.get()), colour.get());
  EXPECT_EQ(plat::SelectObject(memory.get(), stock), mono.get());

  // A DIB section reports its own pixel address and scan-line length.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(5, 3));
  bm = Describe(dib.hDib());
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(bm.bmWidthBytes, 16);
  EXPECT_EQ(bm.bmBits, dib.DIBSectionBitsPtr());
}

TEST_F(GdiTest, TransfersAreClippedToBothPictures) {
  BitmapDC source(4, 4, Pattern);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  auto black = [](auto, auto) { return 0u; };

  // Starting left of and above the destination.
  Fill(dib, black);
  EXPECT_TRUE(plat::BitBlt(dib.hdc(), -1, -2, 3, 4, source.get(), 0, 0, plat::kSrcCopy));
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return x < 2 && y < 2 ? Pattern(x + 1, y + 2) : 0u; }), "");

  // Reaching past the source's edge: only what the source has arrives.
  Fill(dib, black);
  EXPECT_TRUE(plat::BitBlt(dib.hdc(), 0, 0, 4, 4, source.get(), 3, 2, plat::kSrcCopy));
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return x < 1 && y < 2 ? Pattern(x + 3, y + 2) : 0u; }), "");

  // Starting outside the source.
  Fill(dib, black);
  EXPECT_TRUE(plat::BitBlt(dib.hdc(), 1, 1, 2, 2, source.get(), -1, -1, plat::kSrcCopy));
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return x == 2 && y == 2 ? Pattern(0, 0) : 0u; }), "");
}

TEST_F(GdiTest, ATransferWithinOnePictureReadsItAsItWas) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(6, 3));
  Fill(dib, Pattern);
  EXPECT_TRUE(plat::BitBlt(dib.hdc(), 1, 1, 5, 2, dib.hdc(), 0, 0, plat::kSrcCopy));
  EXPECT_EQ(
      FirstDifference(dib, [](auto x, auto y) { return x >= 1 && y >= 1 ? Pattern(x - 1, y - 1) : Pattern(x, y); }),
      "");
}

}  // namespace
