// The image buffer on both backends: size and layout, the life cycle of its
// handles, and pictures copied in and out with bit-block transfers.
#include <gtest/gtest.h>

#include <cstring>

#include <memory>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/error.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::BitmapDC;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;
using varnel::testing::PixelAt;
using varnel::testing::ScreenPicture;

constexpr std::uint32_t kGrey = 0x808080;

std::uint32_t Shifted(std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy) {
  return Pattern(x + dx, y + dy);
}

class DibSectionTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
};

TEST_F(DibSectionTest, ScanLinesArePaddedToFourBytes) {
  cDIBSection dib;
  const std::int32_t expected[] = {4, 8, 12, 12, 16};
  for (std::int32_t w = 1; w <= 5; ++w) {
    ASSERT_TRUE(dib.Create(w, 1)) << w;
    EXPECT_EQ(dib.BytesPerScanLine(), expected[w - 1]) << "width " << w;
  }
  ASSERT_TRUE(dib.Create(100, 2));
  EXPECT_EQ(dib.BytesPerScanLine(), 300);
}

TEST_F(DibSectionTest, ThreeByTwoLayout) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.BytesPerScanLine(), 12);
  const auto& h = dib.Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 24u);
  EXPECT_EQ(h.biXPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed, 0u);
  ASSERT_NE(dib.hdc(), plat::Hdc{});
  ASSERT_NE(dib.hDib(), plat::Hbitmap{});
  ASSERT_NE(dib.DIBSectionBitsPtr(), nullptr);

  // The top-left pixel lives in the second scan line in memory.
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  for (int i = 0; i < 24; ++i) bits[i] = 0;
  bits[12] = 0x11;  // blue
  bits[13] = 0x22;  // green
  bits[14] = 0x33;  // red
  cDIBSection copy;
  ASSERT_TRUE(copy.Create(1, 1));
  copy.LoadPictureBlt(dib.hdc(), 0, 0, 1, 1);
  const std::uint8_t* one = copy.DIBSectionBitsPtr();
  EXPECT_EQ(one[0], 0x11);
  EXPECT_EQ(one[1], 0x22);
  EXPECT_EQ(one[2], 0x33);
}

TEST_F(DibSectionTest, CreateOnAReadyBufferReplacesIt) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  ASSERT_TRUE(dib.Create(7, 3));
  EXPECT_EQ(dib.Width(), 7);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.BytesPerScanLine(), 24);
  plat::Bitmap bm{};
  ASSERT_EQ(plat::GetObjectA(dib.hDib(), sizeof bm, &bm), static_cast<std::int32_t>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 7);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(bm.bmWidthBytes, 24);
  EXPECT_EQ(bm.bmBits, dib.DIBSectionBitsPtr());
}

TEST_F(DibSectionTest, ClearUpEmptiesTheBufferButKeepsItsSize) {
  cDIBSection dib;
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Height(), 0);
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  ASSERT_TRUE(dib.Create(640, 480));
  const plat::Hbitmap section = dib.hDib();
  dib.ClearUp();
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.hDib(), plat::Hbitmap{});
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 640);
  EXPECT_EQ(dib.Height(), 480);
  EXPECT_EQ(dib.BytesPerScanLine(), 1920);
  // The section is gone.
  plat::Bitmap bm{};
  EXPECT_EQ(plat::GetObjectA(section, sizeof bm, &bm), 0);
  dib.ClearUp();
  EXPECT_EQ(dib.Width(), 640);
}

TEST_F(DibSectionTest, SizesThePlatformRefusesLeaveAnEmptyBuffer) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  EXPECT_FALSE(dib.Create(0, 0));
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.hDib(), plat::Hbitmap{});
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_FALSE(dib.Create(-3, 5));
  EXPECT_EQ(dib.Width(), -3);
  EXPECT_EQ(dib.Height(), 5);
}

TEST_F(DibSectionTest, OverflowingSizesRaiseTheOverflowError) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  try {
    dib.Create(0x7FFFFFFF / 3 + 1, 1);  // width x 3 overflows
    ADD_FAILURE() << "no error";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrOverflow);
  }
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.hDib(), plat::Hbitmap{});
  EXPECT_THROW(dib.BytesPerScanLine(), plat::Error);
  try {
    dib.Create(100000, 100000);  // 300000 x 100000 bytes
    ADD_FAILURE() << "no error";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrOverflow);
  }
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.Width(), 100000);
}

TEST_F(DibSectionTest, LoadPictureBltCopiesIntoTheTopLeftCorner) {
  BitmapDC source(10, 8, Pattern);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 3));

  // Defaults: the buffer's whole size from the source's top left.
  dib.LoadPictureBlt(source.get());
  EXPECT_EQ(FirstDifference(dib, Pattern), "");

  // An offset into the source.
  dib.LoadPictureBlt(source.get(), 5, 2);
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return Shifted(x, y, 5, 2); }), "");

  // A partial area lands in the top-left corner, the rest stays.
  Fill(dib, [](auto, auto) { return kGrey; });
  dib.LoadPictureBlt(source.get(), 1, 1, 2, 1);
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return x < 2 && y < 1 ? Pattern(x + 1, y + 1) : kGrey; }), "");

  // Width or height 0 transfers nothing.
  Fill(dib, [](auto, auto) { return kGrey; });
  dib.LoadPictureBlt(source.get(), 0, 0, 0, -1);
  dib.LoadPictureBlt(source.get(), 0, 0, -1, 0);
  EXPECT_EQ(FirstDifference(dib, [](auto, auto) { return kGrey; }), "");

  // Any negative width or height stands for the buffer's.
  dib.LoadPictureBlt(source.get(), 3, 4, -5, -2);
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return Shifted(x, y, 3, 4); }), "");
}

TEST_F(DibSectionTest, LoadPictureBltAppliesTheRasterOperation) {
  BitmapDC source(4, 3, Pattern);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 3));
  Fill(dib, [](auto x, auto) { return x % 2 ? 0xFFFFFFu : 0x0F0F0Fu; });
  dib.LoadPictureBlt(source.get(), 0, 0, -1, -1, plat::kSrcInvert);
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return Pattern(x, y) ^ (x % 2 ? 0xFFFFFFu : 0x0F0F0Fu); }), "");
  dib.LoadPictureBlt(source.get(), 0, 0, -1, -1, plat::kNotSrcCopy);
  EXPECT_EQ(FirstDifference(dib, [](auto x, auto y) { return ~Pattern(x, y) & 0xFFFFFFu; }), "");
  dib.LoadPictureBlt(source.get(), 0, 0, -1, -1, plat::kBlackness);
  EXPECT_EQ(FirstDifference(dib, [](auto, auto) { return 0u; }), "");
  dib.LoadPictureBlt(source.get(), 0, 0, -1, -1, plat::kSrcPaint);
  EXPECT_EQ(FirstDifference(dib, Pattern), "");
  dib.LoadPictureBlt(source.get(), 0, 0, -1, -1, plat::kWhiteness);
  EXPECT_EQ(FirstDifference(dib, [](auto, auto) { return 0xFFFFFFu; }), "");
}

TEST_F(DibSectionTest, PaintPictureDrawsTheBuffer) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  Fill(dib, Pattern);
  auto grey = [](auto, auto) { return kGrey; };

  {  // Only the device context: the whole buffer to the top-left corner.
    BitmapDC target(6, 5, grey);
    dib.PaintPicture(target.get());
    for (std::int32_t y = 0; y < 5; ++y)
      for (std::int32_t x = 0; x < 6; ++x)
        EXPECT_EQ(target.Pixel(x, y), x < 3 && y < 2 ? Pattern(x, y) : kGrey) << x << "," << y;
  }
  {  // A destination offset, negative sizes and a source offset.
    BitmapDC target(6, 5, grey);
    dib.PaintPicture(target.get(), 2, 3, -1, -7, 1, 0);
    for (std::int32_t y = 0; y < 5; ++y)
      for (std::int32_t x = 0; x < 6; ++x) {
        // 3 x 2 from source (1, 0); only 2 x 2 of it lies in the buffer.
        const bool inside = x >= 2 && x < 4 && y >= 3 && y < 5;
        EXPECT_EQ(target.Pixel(x, y), inside ? Pattern(x - 2 + 1, y - 3) : kGrey) << x << "," << y;
      }
  }
}

TEST_F(DibSectionTest, CreateFromPictureTakesThePicturesSizeAndPixels) {
  auto picture = ScreenPicture(800, 600, Pattern);
  ASSERT_TRUE(picture);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(5, 5));
  dib.CreateFromPicture(picture);
  ASSERT_NE(dib.hdc(), plat::Hdc{});
  ASSERT_NE(dib.hDib(), plat::Hbitmap{});
  EXPECT_EQ(dib.Width(), 800);
  EXPECT_EQ(dib.Height(), 600);
  EXPECT_EQ(dib.BytesPerScanLine(), 2400);
  EXPECT_EQ(FirstDifference(dib, Pattern), "");
  // The picture is still whole and can be taken again.
  cDIBSection again;
  again.CreateFromPicture(picture);
  EXPECT_EQ(FirstDifference(again, Pattern), "");
}

// The capture's one conversion gives the very bytes of the two-step copy,
// padding included, at odd and even widths.
TEST_F(DibSectionTest, CreateFromBitmapGivesTheBytesOfABitBltCopy) {
  for (const auto& [w, h] : {std::pair{800, 600}, std::pair{333, 7}, std::pair{1, 1}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    auto picture = ScreenPicture(w, h, Pattern);
    ASSERT_TRUE(picture);
    cDIBSection copied, converted;
    copied.CreateFromPicture(picture);
    ASSERT_NE(copied.hDib(), plat::Hbitmap{});
    ASSERT_EQ(converted.CreateFromBitmap(plat::HandleOf<plat::Hbitmap>(picture->handle())), cDIBSection::Fill::Done);
    ASSERT_EQ(converted.Width(), w);
    ASSERT_EQ(converted.Height(), h);
    const auto bytes = static_cast<std::size_t>(copied.BytesPerScanLine()) * static_cast<std::size_t>(h);
    EXPECT_EQ(std::memcmp(copied.DIBSectionBitsPtr(), converted.DIBSectionBitsPtr(), bytes), 0);
    EXPECT_EQ(FirstDifference(converted, Pattern), "");
    // The next picture of the size goes into the same memory.
    const auto shifted = [](std::int32_t x, std::int32_t y) { return Pattern(x + 1, y + 2); };
    auto next = ScreenPicture(w, h, shifted);
    const plat::Hbitmap before = converted.hDib();
    ASSERT_EQ(converted.CreateFromBitmap(plat::HandleOf<plat::Hbitmap>(next->handle())), cDIBSection::Fill::Done);
    EXPECT_EQ(converted.hDib(), before);
    EXPECT_EQ(FirstDifference(converted, shifted), "");
  }
  cDIBSection none;
  EXPECT_EQ(none.CreateFromBitmap({}), cDIBSection::Fill::Unreadable);
  EXPECT_EQ(none.hDib(), plat::Hbitmap{});
}

TEST_F(DibSectionTest, CreateFromPictureOfNoBitmapLeavesAnEmptyBuffer) {
  auto none = std::make_shared<plat::Picture>(0, plat::Picture::Type::None, false);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(5, 5));
  dib.CreateFromPicture(none);
  EXPECT_EQ(dib.hdc(), plat::Hdc{});
  EXPECT_EQ(dib.hDib(), plat::Hbitmap{});
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Height(), 0);
}

TEST_F(DibSectionTest, CreateFromPictureWithoutAPictureRaises) {
  cDIBSection dib;
  try {
    dib.CreateFromPicture(nullptr);
    ADD_FAILURE() << "no error";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrObjectNotSet);
  }
}

}  // namespace
