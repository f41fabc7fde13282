// Grey and colour noise written into the buffer, on both backends.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "imaging/dib_section.h"
#include "platform/error.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;

class RandomFillTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }

  // Every byte, padding included, set to a mark.
  static void Mark(cDIBSection& dib, std::uint8_t mark) {
    std::memset(dib.DIBSectionBitsPtr(), mark,
                static_cast<std::size_t>(dib.BytesPerScanLine()) * static_cast<std::size_t>(dib.Height()));
  }
  static bool PaddingIs(const cDIBSection& dib, std::uint8_t mark) {
    for (int y = 0; y < dib.Height(); ++y)
      for (int i = 3 * dib.Width(); i < dib.BytesPerScanLine(); ++i)
        if (dib.DIBSectionBitsPtr()[y * dib.BytesPerScanLine() + i] != mark) return false;
    return true;
  }
  static const std::uint8_t* Pixel(const cDIBSection& dib, int x, int line) {
    return dib.DIBSectionBitsPtr() + line * dib.BytesPerScanLine() + 3 * x;
  }
};

TEST_F(RandomFillTest, GreyOnOnePixel) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(1, 1));
  for (int attempt = 0; attempt < 3; ++attempt) {
    Mark(dib, 0xA5);
    dib.RandomiseBits(true);
    const std::uint8_t* p = dib.DIBSectionBitsPtr();
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    EXPECT_EQ(p[3], 0xA5);
  }
}

TEST_F(RandomFillTest, GreyPixelsHaveEqualChannels) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(37, 23));
  Mark(dib, 0xA5);
  dib.RandomiseBits(true);
  int distinct = 0;
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const std::uint8_t* p = Pixel(dib, x, y);
      ASSERT_EQ(p[0], p[1]) << x << "," << y;
      ASSERT_EQ(p[1], p[2]) << x << "," << y;
      distinct += p[0] != Pixel(dib, 0, 0)[0];
    }
  EXPECT_GT(distinct, 700);
  EXPECT_TRUE(PaddingIs(dib, 0xA5));
}

TEST_F(RandomFillTest, ColourNoiseVariesGreenAndRedOnly) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(255, 256));  // 255 x 3 bytes leave 1 of padding
  Mark(dib, 0xA5);
  dib.RandomiseBits(false);
  std::array<int, 256> green{}, red{};
  int same = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 255; ++x) {
      const std::uint8_t* p = Pixel(dib, x, y);
      ASSERT_EQ(p[0], 0) << x << "," << y;
      ++green[p[1]];
      ++red[p[2]];
      same += p[1] == p[2];
    }
  EXPECT_LT(same, 1000);  // independent draws: about 1 in 255 alike
  EXPECT_TRUE(PaddingIs(dib, 0xA5));
  // Uniform draws rounded to bytes: every value turns up, 0 and 255 about
  // half as often as the others (about 128 and 256 times here).
  for (const auto* counts : {&green, &red}) {
    int inner = 0;
    for (std::size_t v = 1; v < 255; ++v) {
      EXPECT_GT((*counts)[v], 150) << v;
      inner += (*counts)[v];
    }
    EXPECT_GT((*counts)[0], 60);
    EXPECT_LT((*counts)[0], 200);
    EXPECT_GT((*counts)[255], 60);
    EXPECT_LT((*counts)[255], 200);
    EXPECT_NEAR(inner / 254.0, 256.0, 10.0);
  }
}

TEST_F(RandomFillTest, WithoutAnArgumentItIsColourNoise) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(16, 16));
  dib.RandomiseBits();
  int grey = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t* p = Pixel(dib, x, y);
      EXPECT_EQ(p[0], 0);
      grey += p[1] == p[2];
    }
  EXPECT_LT(grey, 20);
}

TEST_F(RandomFillTest, ABufferWithoutPixelsIsNotWritten) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  dib.ClearUp();
  EXPECT_THROW(dib.RandomiseBits(true), plat::Error);
  cDIBSection never;
  never.RandomiseBits();  // 0 x 0: nothing to do
}

}  // namespace
