#include "imaging/packed_dib.h"

#include <cstring>

namespace varnel {

namespace {

bool KnownHeaderSize(std::uint32_t size) {
  // BITMAPINFOHEADER, the two short-lived V2 and V3 forms, V4 and V5.
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

std::optional<PackedDib> ParsePackedDib(const void* block, std::size_t size) {
  if (!block || size < sizeof(plat::BitmapInfoHeader)) return std::nullopt;
  plat::BitmapInfoHeader h;
  std::memcpy(&h, block, sizeof h);
  if (!KnownHeaderSize(h.biSize) || h.biSize > size) return std::nullopt;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes != 1) return std::nullopt;
  const std::uint32_t bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
  const bool masks = h.biCompression == plat::kBiBitfields;
  if (!masks && h.biCompression != plat::kBiRgb) return std::nullopt;  // run-length, JPEG or PNG inside
  if (masks && bpp != 16 && bpp != 32) return std::nullopt;

  // Up to 8 bits a pixel the colour table is the picture's palette; above,
  // an optional table may still stand there and is skipped.
  std::uint64_t colours = h.biClrUsed;
  if (bpp <= 8) {
    const std::uint64_t most = std::uint64_t{1} << bpp;
    if (colours == 0) colours = most;
    if (colours > most) return std::nullopt;
  }
  // A 40-byte header has its three masks after it; the longer ones inside.
  const std::uint64_t maskBytes = masks && h.biSize == 40 ? 12 : 0;
  const std::uint64_t offset = h.biSize + maskBytes + colours * 4;
  const std::uint64_t height = h.biHeight < 0 ? std::uint64_t(-std::int64_t{h.biHeight}) : std::uint64_t(h.biHeight);
  const std::uint64_t stride = (std::uint64_t(h.biWidth) * bpp + 31) / 32 * 4;
  // Both factors are below 2^31 and 2^33: the product fits.
  const std::uint64_t pixels = stride * height;
  if (offset > size || pixels > size - offset) return std::nullopt;

  const auto* bytes = static_cast<const std::uint8_t*>(block);
  return PackedDib{static_cast<const plat::BitmapInfo*>(block), bytes + offset, h.biWidth,
                   static_cast<std::int32_t>(height)};
}

}  // namespace varnel
