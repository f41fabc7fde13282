// Plain records and constants of the Windows graphics interface (gdi32) and
// of the clipboard, laid out as Windows lays them out, so the real backend
// can hand them to the system unchanged. No <windows.h> here.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace plat {

// BITMAPINFOHEADER: 40 bytes on every Windows.
struct BitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;  // positive: bottom-up; negative: top-down
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// RGBQUAD.
struct RgbQuad {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
  std::uint8_t rgbReserved;
};

// BITMAPINFO: the header and a colour table (unused at 24 bits a pixel).
struct BitmapInfo {
  BitmapInfoHeader bmiHeader;
  RgbQuad bmiColors[1];
};

// BITMAP, as GetObjectA fills it for a bitmap handle.
struct Bitmap {
  std::int32_t bmType;
  std::int32_t bmWidth;
  std::int32_t bmHeight;
  std::int32_t bmWidthBytes;
  std::uint16_t bmPlanes;
  std::uint16_t bmBitsPixel;
  void* bmBits;
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr std::uint32_t kDibRgbColors = 0;

// Raster operations of BitBlt.
inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t kSrcPaint = 0x00EE0086;
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;
inline constexpr std::uint32_t kSrcInvert = 0x00660046;
inline constexpr std::uint32_t kSrcErase = 0x00440328;
inline constexpr std::uint32_t kNotSrcCopy = 0x00330008;
inline constexpr std::uint32_t kNotSrcErase = 0x001100A6;
inline constexpr std::uint32_t kMergePaint = 0x00BB0226;
inline constexpr std::uint32_t kDstInvert = 0x00550009;
inline constexpr std::uint32_t kPatCopy = 0x00F00021;
inline constexpr std::uint32_t kBlackness = 0x00000042;
inline constexpr std::uint32_t kWhiteness = 0x00FF0062;

// Clipboard formats, and the kind of global memory the clipboard takes.
inline constexpr std::uint32_t kCfBitmap = 2;
inline constexpr std::uint32_t kCfDib = 8;
inline constexpr std::uint32_t kCfUnicodeText = 13;  // UTF-16 text ending with a NUL, in global memory
inline constexpr std::uint32_t kGmemMoveable = 0x0002;

}  // namespace plat
