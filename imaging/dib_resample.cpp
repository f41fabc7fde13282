// cDIBSection::Resample: bilinear scaling into a new buffer.
//
// Each destination pixel (x, y) samples the source at fx = x * xScale,
// fy = y * yScale (single precision), takes the four pixels around
// (floor fx, floor fy), interpolates vertically in each of the two
// columns, rounds, then horizontally, rounds again; every rounding goes to
// the nearest integer with halves to the even one, and the products and
// sums are formed in double precision.
//
// Speed without a change in any result: the fraction d = dx or dy of a
// position that is 1 or more is a multiple of 2^-23 (the spacing of single
// precision numbers from 1 up), so d = D / 2^23 with an integer D, and
// (1 - d) * a + d * b = (a * (2^23 - D) + b * D) / 2^23 exactly; double
// precision holds that value exactly too (at most 31 significant bits), so
// rounding the integer quotient gives the very same result. The integer
// form is computed for whole scan lines with no per-pixel branches. A
// fraction with finer bits (only where a position is below 1, in the first
// few columns or scan lines of an enlargement) is computed in double
// precision as written. The vertical step of a destination scan line does
// not depend on x, so it is computed once for every source byte the line
// needs, and the horizontal step then reads those results.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/pixel_grid.h"
#include "imaging/resample_kernels.h"
#include "platform/checked.h"
#include "platform/error.h"

namespace varnel {

namespace {

using resample::kOne;

// Where one destination column or scan line samples the source.
struct Sample {
  std::int32_t index;   // floor of the position
  float fraction;       // position - index
  std::int32_t weight;  // fraction x 2^23 when that is an integer
  bool exact;           // whether it is
};

Sample SampleAt(std::int32_t destination, float scale) {
  Sample s{};
  const auto position = static_cast<float>(static_cast<double>(destination) * static_cast<double>(scale));
  s.index = static_cast<std::int32_t>(std::floor(position));
  s.fraction = static_cast<float>(static_cast<double>(position) - static_cast<double>(s.index));
  const double scaled = static_cast<double>(s.fraction) * kOne;
  s.exact = scaled == std::floor(scaled) && scaled >= 0 && scaled < kOne;
  s.weight = s.exact ? static_cast<std::int32_t>(scaled) : 0;
  return s;
}

// (1 - d) x a + d x b in double precision, rounded half to even.
inline std::int32_t Lerp(double a, double b, float d) {
  const double w = static_cast<double>(d);
  return static_cast<std::int32_t>(std::nearbyint((1.0 - w) * a + w * b));
}

inline std::uint8_t Limit(std::int32_t c) { return static_cast<std::uint8_t>(std::clamp(c, 0, 255)); }

// One destination pixel exactly as the steps read.
void PixelAsWritten(const std::uint8_t* lower, const std::uint8_t* upper, const Sample& col, float dy,
                    std::uint8_t* out) {
  const std::uint8_t* l0 = lower + 3 * std::int64_t{col.index};
  const std::uint8_t* l1 = upper + 3 * std::int64_t{col.index};
  for (int k = 0; k < 3; ++k) {
    const std::int32_t left = Lerp(l0[k], l1[k], dy);
    const std::int32_t right = Lerp(l0[k + 3], l1[k + 3], dy);
    out[k] = Limit(Lerp(left, right, col.fraction));
  }
}

}  // namespace

std::shared_ptr<cDIBSection> cDIBSection::Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) const {
  auto result = std::make_shared<cDIBSection>();
  if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
  // A source whose pixels were released fails as the worker does on it,
  // rather than handing back a copy of nothing.
  if (hDibBitmap == 0) plat::Raise(plat::kErrSubscript);
  if (lNewWidth == Width() && lNewHeight == Height())
    result->LoadPictureBlt(hdc(), 0, 0, -1, -1, plat::kSrcCopy);
  else
    InterpolateInto(*result);  // on failure the new buffer goes with `result`
  return result;
}

void cDIBSection::InterpolateInto(cDIBSection& destination) const {
  PixelGrid source(hDibBitmap != 0 ? lBitsPtr : nullptr, BytesPerScanLine(), Height());
  PixelGrid target(destination.hDibBitmap != 0 ? destination.lBitsPtr : nullptr, destination.BytesPerScanLine(),
                   destination.Height());
  const std::int32_t dstW = destination.Width();
  const std::int32_t dstH = destination.Height();
  if (dstW <= 0 || dstH <= 0) return;
  const auto xScale = static_cast<float>(static_cast<double>(plat::CheckedSub(Width(), 1)) / dstW);
  const auto yScale = static_cast<float>(static_cast<double>(plat::CheckedSub(Height(), 1)) / dstH);

  std::vector<Sample> cols(static_cast<std::size_t>(dstW));
  std::vector<std::int32_t> offset(cols.size()), weight(cols.size());
  std::int64_t firstByte = INT64_MAX, lastByte = INT64_MIN;
  for (std::int32_t x = 0; x < dstW; ++x) {
    const Sample s = SampleAt(x, xScale);
    cols[static_cast<std::size_t>(x)] = s;
    firstByte = std::min(firstByte, 3 * std::int64_t{s.index});
    lastByte = std::max(lastByte, 3 * std::int64_t{s.index} + 5);
  }
  std::vector<Sample> rows(static_cast<std::size_t>(dstH));
  std::int64_t firstRow = INT64_MAX, lastRow = INT64_MIN;
  for (std::int32_t y = 0; y < dstH; ++y) {
    const Sample s = SampleAt(y, yScale);
    rows[static_cast<std::size_t>(y)] = s;
    firstRow = std::min(firstRow, std::int64_t{s.index});
    lastRow = std::max(lastRow, std::int64_t{s.index} + 1);
  }
  // Every read and write the loops below will make, tested before the
  // first one.
  source.RequireRange(firstByte, lastByte, firstRow, lastRow);
  target.RequireRange(0, 3 * std::int64_t{dstW} - 1, 0, dstH - 1);

  // Offsets relative to the first source byte that any column reads.
  for (std::size_t x = 0; x < cols.size(); ++x) {
    offset[x] = static_cast<std::int32_t>(3 * std::int64_t{cols[x].index} - firstByte);
    weight[x] = cols[x].weight;
  }
  std::vector<std::size_t> inexactCols;
  for (std::size_t x = 0; x < cols.size(); ++x)
    if (!cols[x].exact) inexactCols.push_back(x);
  const resample::Horizontal horizontal(offset, std::move(weight));

  const auto span = static_cast<std::int32_t>(lastByte - firstByte + 1);
  std::vector<std::uint8_t> vertical(static_cast<std::size_t>(span) + resample::Horizontal::kPadding);
  for (std::int32_t y = 0; y < dstH; ++y) {
    const Sample& row = rows[static_cast<std::size_t>(y)];
    const std::uint8_t* lower = source.Line(row.index);
    const std::uint8_t* upper = source.Line(row.index + 1);
    std::uint8_t* out = target.Line(y);
    if (!row.exact) {
      for (std::int32_t x = 0; x < dstW; ++x)
        PixelAsWritten(lower, upper, cols[static_cast<std::size_t>(x)], row.fraction, out + 3 * x);
      continue;
    }
    resample::Vertical(lower + firstByte, upper + firstByte, vertical.data(), span, row.weight);
    horizontal.Run(vertical.data(), out);
    for (std::size_t x : inexactCols) {
      const std::uint8_t* p = vertical.data() + offset[x];
      for (std::size_t k = 0; k < 3; ++k) out[3 * x + k] = Limit(Lerp(p[k], p[k + 3], cols[x].fraction));
    }
  }
}

}  // namespace varnel
