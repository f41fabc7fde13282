#include "platform/dib_layout.h"

#include <cstring>

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

std::array<std::uint8_t, kBitmapFileHeaderBytes> BitmapFileHeader(std::int32_t width, std::int32_t height) {
  BitmapInfoHeader info{};
  Fill24BitHeader(info, width, height);
  static_assert(sizeof info == 40);
  const std::int32_t fileSize =
      CheckedAdd(static_cast<std::int32_t>(kBitmapFileHeaderBytes), static_cast<std::int32_t>(info.biSizeImage));
  std::array<std::uint8_t, kBitmapFileHeaderBytes> header{'B', 'M'};
  const auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(header.data() + at, &v, 4); };
  put32(2, static_cast<std::uint32_t>(fileSize));
  put32(10, static_cast<std::uint32_t>(kBitmapFileHeaderBytes));
  std::memcpy(header.data() + 14, &info, sizeof info);
  return header;
}

}  // namespace plat
