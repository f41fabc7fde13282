// The image buffer on both backends: size and layout, the life cycle of its
// handles, and pictures copied in and out with bit-block transfers.
#include <gtest/gtest.h>

#include <memory>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/test_support.h"

namespace {

using varnel::cDIBSection;

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
  ASSERT_NE(dib.hdc(), 0u);
  ASSERT_NE(dib.hDib(), 0u);
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
  EXPECT_EQ(dib.hdc(), 0u);
  ASSERT_TRUE(dib.Create(640, 480));
  const plat::Handle section = dib.hDib();
  dib.ClearUp();
  EXPECT_EQ(dib.hdc(), 0u);
  EXPECT_EQ(dib.hDib(), 0u);
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
  EXPECT_EQ(dib.hdc(), 0u);
  EXPECT_EQ(dib.hDib(), 0u);
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
  EXPECT_EQ(dib.hdc(), 0u);
  EXPECT_EQ(dib.hDib(), 0u);
  EXPECT_THROW(dib.BytesPerScanLine(), plat::Error);
  try {
    dib.Create(100000, 100000);  // 300000 x 100000 bytes
    ADD_FAILURE() << "no error";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrOverflow);
  }
  EXPECT_EQ(dib.hdc(), 0u);
  EXPECT_EQ(dib.Width(), 100000);
}

}  // namespace
