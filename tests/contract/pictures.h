// Known pictures for the image-buffer tests: written into buffers and
// screen-compatible bitmaps, and read back, with pixels as 0x00RRGGBB and
// (x, y) counted from the top left.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "platform/picture.h"

namespace varnel::testing {

using Paint = std::function<std::uint32_t(std::int32_t x, std::int32_t y)>;

// Something different at every pixel of a picture up to 4096 pixels wide.
inline std::uint32_t Pattern(std::int32_t x, std::int32_t y) {
  return (static_cast<std::uint32_t>(x * 7 + y) & 0xFF) | ((static_cast<std::uint32_t>(y * 3) & 0xFF) << 8) |
         ((static_cast<std::uint32_t>(x ^ y) & 0xFF) << 16);
}

inline std::uint8_t* PixelAddress(const cDIBSection& dib, std::int32_t x, std::int32_t y) {
  // Bottom-up: the top row is the last scan line in memory.
  return dib.DIBSectionBitsPtr() + static_cast<std::ptrdiff_t>(dib.Height() - 1 - y) * dib.BytesPerScanLine() + 3 * x;
}

inline std::uint32_t PixelAt(const cDIBSection& dib, std::int32_t x, std::int32_t y) {
  const std::uint8_t* p = PixelAddress(dib, x, y);
  return p[0] | static_cast<std::uint32_t>(p[1] << 8) | static_cast<std::uint32_t>(p[2] << 16);
}

inline void SetPixel(cDIBSection& dib, std::int32_t x, std::int32_t y, std::uint32_t rgb) {
  std::uint8_t* p = PixelAddress(dib, x, y);
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

inline void Fill(cDIBSection& dib, const Paint& paint) {
  for (std::int32_t y = 0; y < dib.Height(); ++y)
    for (std::int32_t x = 0; x < dib.Width(); ++x) SetPixel(dib, x, y, paint(x, y));
}

// The first pixel where the buffer differs from the paint, as text; empty
// when they agree everywhere.
inline std::string FirstDifference(const cDIBSection& dib, const Paint& paint) {
  for (std::int32_t y = 0; y < dib.Height(); ++y)
    for (std::int32_t x = 0; x < dib.Width(); ++x)
      if (PixelAt(dib, x, y) != paint(x, y))
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(PixelAt(dib, x, y)) +
               ", expected " + std::to_string(paint(x, y));
  return {};
}

// A bitmap compatible with the screen, holding the paint, as the
// toolkit's picture object (which deletes the bitmap at its end).
inline std::shared_ptr<plat::Picture> ScreenPicture(std::int32_t width, std::int32_t height, const Paint& paint) {
  cDIBSection source;
  if (!source.Create(width, height)) return nullptr;
  Fill(source, paint);
  plat::Hbitmap bitmap{};
  {
    plat::WindowDC screen = plat::TakeWindowDC(plat::GetDesktopWindow());
    bitmap = plat::CreateCompatibleBitmap(screen.get(), width, height);
  }
  if (bitmap == plat::Hbitmap{}) return nullptr;
  {
    plat::MemoryDC dc(plat::CreateCompatibleDC({}));
    const plat::Selection selected = plat::SelectInto(dc.get(), bitmap);
    source.PaintPicture(dc.get());
  }
  return std::make_shared<plat::Picture>(plat::RawHandle(bitmap), plat::Picture::Type::Bitmap, true);
}

// A memory device context with a bitmap of its own, deleted at the end.
class BitmapDC {
 public:
  BitmapDC(std::int32_t width, std::int32_t height, const Paint& paint)
      : picture_(ScreenPicture(width, height, paint)),
        dc_(plat::CreateCompatibleDC({})),
        selected_(plat::SelectInto(dc_.get(), plat::HandleOf<plat::Hbitmap>(picture_ ? picture_->handle() : 0))) {}
  plat::Hdc get() const { return dc_.get(); }
  // The bitmap's pixels, read through a buffer of the same size.
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const {
    cDIBSection copy;
    copy.Create(1, 1);
    copy.LoadPictureBlt(dc_.get(), x, y, 1, 1);
    return PixelAt(copy, 0, 0);
  }

 private:
  std::shared_ptr<plat::Picture> picture_;
  plat::MemoryDC dc_;
  plat::Selection selected_;
};

}  // namespace varnel::testing
