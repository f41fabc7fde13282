// Bilinear resampling into a new buffer, on both backends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <random>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/resample_kernels.h"
#include "platform/error.h"
#include "tests/contract/pictures.h"
#include "tests/support/test_support.h"

namespace {

using varnel::cDIBSection;
using varnel::testing::Fill;
using varnel::testing::FirstDifference;
using varnel::testing::Pattern;
using varnel::testing::PixelAt;

using Bgr = std::vector<int>;  // blue, green, red of pixel after pixel

class ResampleTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }

  // Scan lines counted in memory order: 0 is the bottom row.
  static void SetLine(cDIBSection& dib, int line, const Bgr& bytes) {
    std::uint8_t* p = dib.DIBSectionBitsPtr() + line * dib.BytesPerScanLine();
    for (std::size_t i = 0; i < bytes.size(); ++i) p[i] = static_cast<std::uint8_t>(bytes[i]);
  }
  static Bgr Line(const cDIBSection& dib, int line) {
    const std::uint8_t* p = dib.DIBSectionBitsPtr() + line * dib.BytesPerScanLine();
    return Bgr(p, p + 3 * dib.Width());
  }
};

// Resampling as its steps read, in the most direct form, for comparison.
std::vector<std::uint8_t> Reference(const cDIBSection& src, int dstW, int dstH, int dstStride) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStride) * static_cast<std::size_t>(dstH));
  const float xScale = static_cast<float>(static_cast<double>(src.Width() - 1) / dstW);
  const float yScale = static_cast<float>(static_cast<double>(src.Height() - 1) / dstH);
  auto at = [&](int i, int row) -> float { return src.DIBSectionBitsPtr()[row * src.BytesPerScanLine() + i]; };
  auto lerp = [](double a, double b, float d) {
    return static_cast<int>(std::nearbyint((1.0 - static_cast<double>(d)) * a + static_cast<double>(d) * b));
  };
  for (int y = 0; y < dstH; ++y) {
    const float fy = static_cast<float>(static_cast<double>(y) * yScale);
    const int iy = static_cast<int>(std::floor(fy));
    const float dy = fy - static_cast<float>(iy);
    for (int x = 0; x < dstW; ++x) {
      const float fx = static_cast<float>(static_cast<double>(x) * xScale);
      const int ix = static_cast<int>(std::floor(fx));
      const float dx = fx - static_cast<float>(ix);
      for (int k = 0; k < 3; ++k) {
        const int left = lerp(at(3 * ix + k, iy), at(3 * ix + k, iy + 1), dy);
        const int right = lerp(at(3 * ix + 3 + k, iy), at(3 * ix + 3 + k, iy + 1), dy);
        const int c = std::min(255, std::max(0, lerp(left, right, dx)));
        out[static_cast<std::size_t>(y) * static_cast<std::size_t>(dstStride) + static_cast<std::size_t>(3 * x + k)] =
            static_cast<std::uint8_t>(c);
      }
    }
  }
  return out;
}

TEST_F(ResampleTest, TwoByTwoToFourByFour) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(2, 2));
  SetLine(src, 0, {10, 20, 30, 20, 40, 60});
  SetLine(src, 1, {30, 60, 90, 40, 80, 120});
  auto dst = src.Resample(4, 4);
  ASSERT_TRUE(dst);
  EXPECT_EQ(Line(*dst, 0), (Bgr{10, 20, 30, 12, 25, 38, 15, 30, 45, 18, 35, 52}));
  EXPECT_EQ(Line(*dst, 3), (Bgr{25, 50, 75, 28, 55, 82, 30, 60, 90, 32, 65, 98}));
}

TEST_F(ResampleTest, TwoByTwoToThreeByThree) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(2, 2));
  SetLine(src, 0, {0, 0, 0, 255, 255, 255});
  SetLine(src, 1, {100, 50, 0, 0, 200, 100});
  auto dst = src.Resample(3, 3);
  ASSERT_TRUE(dst);
  EXPECT_EQ(Line(*dst, 0), (Bgr{0, 0, 0, 85, 85, 85, 170, 170, 170}));
  EXPECT_EQ(Line(*dst, 1), (Bgr{33, 17, 0, 79, 90, 68, 124, 164, 135}));
}

TEST_F(ResampleTest, ThreeByThreeToTwoByTwoSamplesTheCentre) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(3, 3));
  Fill(src, Pattern);
  auto dst = src.Resample(2, 2);
  ASSERT_TRUE(dst);
  // Scale 1: destination pixel (1, 1) is source pixel (1, 1), counted from
  // the first scan line in memory, as are (0, 0) and (0, 0).
  const Bgr d0 = Line(*dst, 0), d1 = Line(*dst, 1), s0 = Line(src, 0), s1 = Line(src, 1);
  EXPECT_EQ(Bgr(d1.begin() + 3, d1.end()), Bgr(s1.begin() + 3, s1.begin() + 6));
  EXPECT_EQ(Bgr(d0.begin(), d0.begin() + 3), Bgr(s0.begin(), s0.begin() + 3));
}

TEST_F(ResampleTest, TheSameSizeIsAnExactCopy) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(640, 480));
  Fill(src, Pattern);
  auto dst = src.Resample(480, 640);
  ASSERT_TRUE(dst);
  EXPECT_NE(dst->hDib(), src.hDib());
  EXPECT_EQ(dst->Width(), 640);
  EXPECT_EQ(dst->Height(), 480);
  EXPECT_EQ(FirstDifference(*dst, Pattern), "");
}

TEST_F(ResampleTest, HeightComesFirst) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(10, 10));
  auto dst = src.Resample(100, 200);
  ASSERT_TRUE(dst);
  EXPECT_EQ(dst->Width(), 200);
  EXPECT_EQ(dst->Height(), 100);
}

TEST_F(ResampleTest, ASizeThePlatformRefusesGivesNoBuffer) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(10, 10));
  EXPECT_EQ(src.Resample(0, 5), nullptr);
  EXPECT_EQ(src.Resample(5, -1), nullptr);
}

TEST_F(ResampleTest, ASourceTooSmallToInterpolateFails) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(1, 100));
  Fill(src, Pattern);
  std::shared_ptr<cDIBSection> got;
  try {
    got = src.Resample(50, 1);
    ADD_FAILURE() << "no error";
  } catch (const plat::Error& e) {
    EXPECT_EQ(e.number(), plat::kErrSubscript);
  }
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(FirstDifference(src, Pattern), "");

  // One scan line high, and a buffer that holds no pixels any more.
  ASSERT_TRUE(src.Create(100, 1));
  EXPECT_THROW(src.Resample(2, 50), plat::Error);
  src.ClearUp();
  EXPECT_THROW(src.Resample(2, 50), plat::Error);
  EXPECT_THROW(src.Resample(1, 100), plat::Error);  // the same size as well
}

// Every kernel this build has and this processor runs, the best one last
// (and left in use).
std::vector<varnel::resample::Kernel> Kernels() {
  std::vector<varnel::resample::Kernel> out;
  for (auto k : varnel::resample::kKernels)
    if (varnel::resample::Supported(k) && k != varnel::resample::Best()) out.push_back(k);
  out.push_back(varnel::resample::Best());
  return out;
}

TEST_F(ResampleTest, AgreesWithTheDirectFormEverywhere) {
  std::mt19937 random(20240607);
  struct Case {
    int srcW, srcH, dstW, dstH;
  };
  // Reductions and enlargements, with scales whose positions below 1 carry
  // finer fractions than the rest, wide ones for whole blocks of pixels,
  // steep reductions whose blocks read far apart, and tall ones whose
  // positions from 256 on have weights in whole multiples of 2^8.
  const Case cases[] = {{64, 48, 32, 24},    {37, 29, 101, 77},  {5, 4, 123, 97},   {200, 3, 7, 250},
                        {3, 3, 1000, 2},     {97, 61, 96, 60},   {2, 2, 4097, 5},   {1920, 2, 3840, 3},
                        {3840, 3, 1920, 2},  {1000, 5, 100, 3},  {1000, 4, 390, 3}, {129, 2, 50, 1},
                        {40, 700, 33, 1100}, {40, 1100, 33, 300}};
  for (auto kernel : Kernels()) {
    for (const Case& c : cases) {
      ASSERT_TRUE(varnel::resample::Use(kernel));
      SCOPED_TRACE(varnel::resample::Name(kernel));
      cDIBSection src;
      ASSERT_TRUE(src.Create(c.srcW, c.srcH));
      std::uint8_t* bits = src.DIBSectionBitsPtr();
      for (int i = 0; i < src.BytesPerScanLine() * c.srcH; ++i) bits[i] = static_cast<std::uint8_t>(random());
      auto dst = src.Resample(c.dstH, c.dstW);
      ASSERT_TRUE(dst);
      const auto expected = Reference(src, c.dstW, c.dstH, dst->BytesPerScanLine());
      int differences = 0;
      for (int y = 0; y < c.dstH; ++y)
        for (int i = 0; i < 3 * c.dstW; ++i) {
          const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(dst->BytesPerScanLine()) +
                                 static_cast<std::size_t>(i);
          if (dst->DIBSectionBitsPtr()[at] != expected[at] && ++differences < 4)
            ADD_FAILURE() << c.srcW << "x" << c.srcH << " to " << c.dstW << "x" << c.dstH << ": byte " << i
                          << " of line " << y << " is " << int(dst->DIBSectionBitsPtr()[at]) << ", expected "
                          << int(expected[at]);
        }
    }
  }
}

// Calls `run` with the stack pointer moved down by `bytes` (a multiple of
// 16), so that the code it calls meets another alignment.
template <class Run>
__attribute__((noinline)) void WithStackMovedBy(int bytes, Run&& run) {
  auto* pad = static_cast<volatile char*>(__builtin_alloca(static_cast<std::size_t>(bytes)));
  pad[0] = 0;
  run();
}

// The run takes the widest kernel the processor runs, in the Windows builds
// too, and every kernel gives the portable kernel's bytes whatever the
// stack's alignment when it is called (Windows keeps it to 16 bytes, or 4
// on i686, while the wide registers are 32 and 64 bytes).
TEST_F(ResampleTest, TheWidestKernelIsChosenAndRunsAtAnyStackAlignment) {
  using varnel::resample::Kernel;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  Kernel widest = __builtin_cpu_supports("avx2")     ? Kernel::Avx2
                  : __builtin_cpu_supports("sse4.1") ? Kernel::Sse41
                                                     : Kernel::Portable;
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
    widest = Kernel::Avx512;
#endif
  EXPECT_EQ(varnel::resample::Name(varnel::resample::Best()), std::string(varnel::resample::Name(widest)));
#endif
  std::printf("resampling kernel in use: %s\n", varnel::resample::Name(varnel::resample::Current()));

  cDIBSection src;
  ASSERT_TRUE(src.Create(301, 203));
  Fill(src, Pattern);
  struct Size {
    int w, h;
  };
  for (Size to : {Size{640, 417}, Size{97, 61}}) {
    ASSERT_TRUE(varnel::resample::Use(Kernel::Portable));
    const auto expected = src.Resample(to.h, to.w);
    ASSERT_TRUE(expected);
    const std::size_t bytes = static_cast<std::size_t>(expected->BytesPerScanLine()) * static_cast<std::size_t>(to.h);
    for (auto kernel : Kernels()) {
      ASSERT_TRUE(varnel::resample::Use(kernel));
      for (int moved : {16, 32, 48, 64}) {
        std::shared_ptr<cDIBSection> got;
        WithStackMovedBy(moved, [&] { got = src.Resample(to.h, to.w); });
        ASSERT_TRUE(got);
        EXPECT_EQ(std::memcmp(got->DIBSectionBitsPtr(), expected->DIBSectionBitsPtr(), bytes), 0)
            << varnel::resample::Name(kernel) << " to " << to.w << "x" << to.h << ", stack moved by " << moved;
      }
    }
  }
}

}  // namespace
