// A view of 24-bit pixels in the program's DIB layout, lent by whoever
// holds the buffer: three bytes a pixel (blue, green, red), rows `stride`
// bytes apart (at least three bytes a pixel; a buffer's own rows are
// padded to a multiple of 4 bytes, a part of it keeps the buffer's), the
// picture's bottom row first in memory. The view owns nothing; the bytes must outlive its use.
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
  // The rectangle of `w` x `h` pixels whose top-left pixel is x, y (from
  // the top): the same bytes, rows as far apart. The rectangle must lie
  // inside the picture.
  ImageView Part(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) const {
    return {Row(y + h - 1) + static_cast<std::ptrdiff_t>(x) * 3, w, h, stride};
  }
};

}  // namespace varnel
