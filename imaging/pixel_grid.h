// A byte view over an image buffer's pixel memory, indexed by (byte index
// within the scan line, scan-line index). Every access is tested against
// both bounds and one outside fails with the subscript-out-of-range error
// before any memory is touched. The grid only lends the memory: it never
// frees it, and it is detached when it goes out of scope.
//
// Loops that would test every access may instead test the whole range they
// will touch once, with RequireRange, and then use Line() unchecked: the
// outcome is the same, as the error comes before any byte outside.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace varnel {

class PixelGrid {
 public:
  // A grid over no memory has no rows: every access fails.
  PixelGrid(std::uint8_t* bits, std::int32_t bytesPerLine, std::int32_t rows)
      : bits_(bits), bytesPerLine_(bits ? bytesPerLine : 0), rows_(bits ? rows : 0) {}
  ~PixelGrid() { Detach(); }
  PixelGrid(const PixelGrid&) = delete;
  PixelGrid& operator=(const PixelGrid&) = delete;

  void Detach() {
    bits_ = nullptr;
    bytesPerLine_ = rows_ = 0;
  }

  std::uint8_t& operator()(std::int64_t i, std::int64_t row) {
    RequireRange(i, i, row, row);
    return Line(static_cast<std::int32_t>(row))[i];
  }

  // Fails unless every byte of [iFirst, iLast] x [rowFirst, rowLast] lies in
  // the grid. An empty range (a last below its first) always passes.
  void RequireRange(std::int64_t iFirst, std::int64_t iLast, std::int64_t rowFirst, std::int64_t rowLast) const {
    if (iLast < iFirst || rowLast < rowFirst) return;
    if (iFirst < 0 || iLast >= bytesPerLine_ || rowFirst < 0 || rowLast >= rows_) plat::Raise(plat::kErrSubscript);
  }

  // The first byte of a scan line, unchecked.
  std::uint8_t* Line(std::int32_t row) const { return bits_ + std::int64_t{row} * bytesPerLine_; }
  std::int32_t BytesPerLine() const { return bytesPerLine_; }
  std::int32_t Rows() const { return rows_; }

 private:
  std::uint8_t* bits_;
  std::int32_t bytesPerLine_;
  std::int32_t rows_;
};

}  // namespace varnel
