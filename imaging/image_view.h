// A view of 24-bit pixels in the program's DIB layout, lent by whoever
// holds the buffer: three bytes a pixel (blue, green, red), rows `stride`
// bytes apart (padded to a multiple of 4 bytes), the picture's bottom row
// first in memory. The view owns nothing; the bytes must outlive its use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel {

struct ImageView {
  const std::uint8_t* bits;
  std::int32_t width, height;
  std::int32_t stride;

  // Row y counted from the top of the picture.
  const std::uint8_t* Row(std::int32_t y) const {
    return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * static_cast<std::ptrdiff_t>(stride);
  }
};

}  // namespace varnel
