// The layout of the 24-bit pictures the program handles: bottom-up rows of
// blue, green, red bytes, each row padded to a multiple of 4 bytes, with
// no colour table. The one place that computes a row's length and fills a
// picture's header; every size is checked, so a picture whose bytes do not
// fit 31 bits raises the overflow error instead of wrapping.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/gdi_types.h"

namespace plat {

// Bytes in one row of `width` pixels: width x 3 rounded up to a multiple of
// 4. Raises kErrOverflow when that does not fit.
std::int32_t ScanLineBytes(std::int32_t width);

// Fills `header` (size, width, height, one plane, 24 bits, uncompressed,
// the rows' bytes as biSizeImage, every other field 0) for a picture of
// `width` x `height` pixels. Raises kErrOverflow when the rows' bytes do
// not fit; the header then still records the size, with biSizeImage 0.
void Fill24BitHeader(BitmapInfoHeader& header, std::int32_t width, std::int32_t height);

// The first bytes of a bitmap file of such a picture: BITMAPFILEHEADER (14
// bytes) and BITMAPINFOHEADER (40), as Windows lays them out (little-endian,
// no padding); the rows follow them, as the picture keeps them. Raises
// kErrOverflow as Fill24BitHeader does, and when the file's size would
// be 2 GiB or more (the header's sizes are signed 32-bit numbers).
inline constexpr std::size_t kBitmapFileHeaderBytes = 54;
std::array<std::uint8_t, kBitmapFileHeaderBytes> BitmapFileHeader(std::int32_t width, std::int32_t height);

}  // namespace plat
