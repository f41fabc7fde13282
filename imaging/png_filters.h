// PNG's row filters (filter method 0) for 24-bit pictures. A row in the
// program's DIB layout (blue, green, red) becomes the filter-type byte
// followed by the row filtered in red, green, blue order, with the filter
// libpng's writer chooses: the smallest sum of the filtered bytes taken as
// signed (v below 128 counts v, above it 256 - v), ties going to the first
// of None, Sub, Up, Average, Paeth.
//
// Two kernels give the same bytes: a portable one and one for SSE2, chosen
// by what the processor runs.
#pragma once

#include <cstdint>
#include <vector>

namespace varnel::png {

enum class Kernel { Portable, Sse2 };
inline constexpr Kernel kKernels[] = {Kernel::Portable, Kernel::Sse2};
const char* Name(Kernel kernel);
// Whether this build has the kernel and this processor runs it.
bool Supported(Kernel kernel);
// The fastest supported kernel.
Kernel Best();

// Filters the rows of one picture from top to bottom, or of a run of its
// rows (start with the row above the run). Holds the red, green, blue forms
// of the current and the previous row.
class RowFilter {
 public:
  // `kernel` must be supported.
  RowFilter(std::int32_t width, Kernel kernel);

  // The row above the next one, in DIB bytes; nullptr for the picture's
  // top row (PNG's filters then see a row of zeros above).
  void Start(const std::uint8_t* above);
  // Filters the row below the last one given (DIB bytes) into
  // 1 + 3 x width bytes of `out`.
  void Next(const std::uint8_t* row, std::uint8_t* out);
  // Zero bytes in the filtered rows so far, type bytes left out: few in
  // noisy pictures such as photos.
  std::uint64_t Zeros() const { return zeros_; }

 private:
  std::uint8_t* Line(int i) { return lines_.data() + static_cast<std::ptrdiff_t>(i) * lineSize_ + kMargin; }

  // Zero bytes before each line, so that the first pixel's left neighbour
  // reads as zero; lines also have room for a whole vector after their end.
  static constexpr std::ptrdiff_t kMargin = 16;

  Kernel kernel_;
  std::int32_t bytes_;  // 3 x width
  std::ptrdiff_t lineSize_;
  // Lines 0 and 1: the current and the previous row in red, green, blue
  // order (swapped at each row); lines 2 to 5: the row under Sub, Up,
  // Average and Paeth.
  std::vector<std::uint8_t> lines_;
  int current_ = 0;
  std::uint64_t zeros_ = 0;
};

}  // namespace varnel::png
