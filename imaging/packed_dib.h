// A packed picture, the form in which the clipboard offers any picture
// (kCfDib): a bitmap header, its colour masks or colour table, then the
// pixels, all in one block of memory that another program filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/gdi_types.h"

namespace varnel {

struct PackedDib {
  const plat::BitmapInfo* info;  // header, masks and colour table, as GDI reads them
  const std::uint8_t* bits;      // the first byte of the pixels
  std::int32_t width;
  std::int32_t height;  // counted positive, whatever the row order
};

// Finds the parts of a packed picture in a block of `size` bytes (4-byte
// aligned, as global memory is), and checks that the block holds all of
// them: a header of 40, 52, 56, 108 or 124 bytes, 1, 4, 8, 16, 24 or 32
// bits a pixel, uncompressed or with colour masks. nullopt for anything
// else, and for a header whose colour table or pixels would reach past the
// block: the block is outside input and is never read beyond its size.
std::optional<PackedDib> ParsePackedDib(const void* block, std::size_t size);

}  // namespace varnel
