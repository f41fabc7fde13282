// The two kinds of picture the benchmarks run on, generated here: a desktop
// screen of flat colours, window frames and text, and a photo-like picture
// of smooth gradients, soft shapes and grain.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "imaging/dib_section.h"

namespace varnel::bench {

enum class Content { Screen, Photo };

inline const char* Name(Content c) { return c == Content::Screen ? "screen" : "photo"; }

inline std::uint32_t Hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

// 0x00RRGGBB at (x, y) counted from the top left.
inline std::uint32_t ScreenPixel(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  const std::int32_t taskbar = h - 40;
  if (y >= taskbar) return (x / 60) % 7 == 0 && y > taskbar + 6 && y < h - 6 ? 0x5A8BC4 : 0x1F2A38;
  // Three windows, cascading; later ones on top.
  for (int win = 2; win >= 0; --win) {
    const std::int32_t left = w / 10 + win * w / 5, top = h / 12 + win * h / 6;
    const std::int32_t right = left + w / 2, bottom = top + h / 2;
    if (x < left || x >= right || y < top || y >= bottom) continue;
    if (x == left || x == right - 1 || y == bottom - 1) return 0x7A7A7A;              // frame
    if (y < top + 30) return x > right - 40 && x < right - 10 ? 0xE81123 : 0x2B579A;  // title bar
    if (y < top + 58) return 0xF0F0F0;                                                // menu bar
    // Text: cells of 8 x 16 pixels, glyphs of 6 x 11 strokes, lines with
    // gaps and ragged ends.
    const std::int32_t cx = (x - left - 10) / 8, cy = (y - top - 66) / 16;
    const std::int32_t gx = (x - left - 10) % 8, gy = (y - top - 66) % 16;
    if (x - left < 10 || y - top < 66 || gx >= 6 || gy >= 11) return 0xFFFFFF;
    const std::uint32_t line = Hash(static_cast<std::uint32_t>(cy * 131 + win));
    if (cx > static_cast<std::int32_t>(20 + line % 90)) return 0xFFFFFF;
    const std::uint32_t glyph = Hash(static_cast<std::uint32_t>(cx * 977 + cy * 31 + win));
    if (glyph % 7 == 0) return 0xFFFFFF;  // a space
    const bool ink = (Hash(glyph + static_cast<std::uint32_t>(gy / 2 * 6 + gx)) & 3) == 0 || (gx == 0 && glyph & 8);
    return ink ? (cy % 9 == 0 ? 0x0645AD : 0x202020) : 0xFFFFFF;
  }
  return 0x3A6EA5;  // the desktop
}

inline std::uint32_t PhotoPixel(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
  double r = 90 + 80 * v + 30 * std::sin(9 * u + 4 * v);
  double g = 110 + 50 * std::cos(7 * u - 3 * v) + 20 * u;
  double b = 150 - 90 * v + 25 * std::sin(13 * u * v);
  // Soft discs.
  for (int i = 0; i < 6; ++i) {
    const double cx = 0.15 + 0.14 * i, cy = 0.3 + 0.1 * (i % 3), rad = 0.06 + 0.02 * (i % 2);
    const double d = std::hypot((u - cx) * w / h, v - cy) / rad;
    if (d < 1.2) {
      const double k = d < 1 ? 1.0 : (1.2 - d) / 0.2;
      r += k * (i * 23 % 90 - 40);
      g += k * (i * 41 % 90 - 40);
      b += k * (i * 67 % 90 - 40);
    }
  }
  const std::uint32_t n = Hash(static_cast<std::uint32_t>(y * w + x));
  const double grain = static_cast<double>(n & 15) - 7.5;
  auto byte = [&](double c) {
    return static_cast<std::uint32_t>(std::lround(std::fmin(255, std::fmax(0, c + grain))));
  };
  return byte(b) | byte(g) << 8 | byte(r) << 16;
}

// Fills a ready buffer with the content.
inline void Paint(cDIBSection& dib, Content content) {
  const std::int32_t w = dib.Width(), h = dib.Height();
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint8_t* line = dib.DIBSectionBitsPtr() + static_cast<std::ptrdiff_t>(h - 1 - y) * dib.BytesPerScanLine();
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint32_t c = content == Content::Screen ? ScreenPixel(x, y, w, h) : PhotoPixel(x, y, w, h);
      line[3 * x] = static_cast<std::uint8_t>(c);
      line[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
      line[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
    }
  }
}

}  // namespace varnel::bench
