#include "platform/dib_layout.h"

#include "platform/checked.h"

namespace plat {

std::int32_t ScanLineBytes(std::int32_t width) { return CheckedAdd(CheckedMul(width, 3), 3) & ~std::int32_t{3}; }

void Fill24BitHeader(BitmapInfoHeader& header, std::int32_t width, std::int32_t height) {
  header = BitmapInfoHeader{};
  header.biSize = sizeof(BitmapInfoHeader);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = kBiRgb;
  header.biSizeImage = static_cast<std::uint32_t>(CheckedMul(height, ScanLineBytes(width)));
}

}  // namespace plat
