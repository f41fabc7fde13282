// cDIBSection::RandomiseBits: grey or colour noise written in place.
#include "imaging/dib_section.h"
#include "imaging/pixel_grid.h"
#include "platform/checked.h"
#include "platform/random.h"

namespace varnel {

namespace {

// A draw r = bits / 2^24 as a byte: r x 255 rounded to the nearest
// integer, halves to the even one. The product is exact in 32 bits, so the
// rounding is done on it directly.
inline std::uint8_t ByteOf(std::uint32_t bits24) {
  const std::uint32_t n = bits24 * 255u;
  return static_cast<std::uint8_t>((n + 0x7FFFFFu + ((n >> 24) & 1u)) >> 24);
}

}  // namespace

void cDIBSection::RandomiseBits(bool bGray) {
  PixelGrid grid(hDibBitmap ? lBitsPtr : nullptr, BytesPerScanLine(), Height());
  const plat::RandomSequence random = plat::RandomSequence::FromTimeOfDay(plat::Timer());
  const std::int32_t width = Width();
  const std::int32_t height = Height();
  const std::int32_t xEnd = plat::CheckedMul(plat::CheckedSub(width, 1), 3);
  if (xEnd < 0 || height <= 0) return;
  grid.RequireRange(0, std::int64_t{xEnd} + 2, 0, height - 1);

  const auto w = static_cast<std::uint64_t>(width);
  const auto h = static_cast<std::uint64_t>(height);
  if (bGray) {
    // One draw a pixel, numbered row by row from the first scan line in
    // memory, each row from left to right.
    for (std::int32_t y = 0; y < height; ++y) {
      std::uint8_t* line = grid.Line(y);
      const std::uint64_t first = static_cast<std::uint64_t>(y) * w;
      for (std::uint64_t x = 0; x < w; ++x) {
        const std::uint8_t v = ByteOf(random.Bits24(first + x));
        line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = v;
      }
    }
  } else {
    // Two draws a pixel (green, then red), numbered column by column from
    // the left, each column from the first scan line in memory up; blue is
    // 0. The loops visit the pixels in memory order and take each pixel's
    // draws by number.
    for (std::int32_t y = 0; y < height; ++y) {
      std::uint8_t* line = grid.Line(y);
      for (std::uint64_t x = 0; x < w; ++x) {
        const std::uint64_t k = 2 * (x * h + static_cast<std::uint64_t>(y));
        line[3 * x] = 0;
        line[3 * x + 1] = ByteOf(random.Bits24(k));
        line[3 * x + 2] = ByteOf(random.Bits24(k + 1));
      }
    }
  }
}

}  // namespace varnel
