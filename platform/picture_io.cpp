// The clipboard's picture and the picture writer, built on the platform's
// graphics and clipboard calls so both backends share them.
#include <cstring>

#include "platform/error.h"
#include "platform/file_write.h"
#include "platform/gdi_handles.h"
#include "platform/toolkit.h"

namespace plat {

namespace {

constexpr std::int32_t kBytesPerPixel = 3;

std::int32_t Stride(std::int32_t width) { return (width * kBytesPerPixel + 3) & ~3; }

// A 24-bit bottom-up DIB section holding a copy of `source`.
std::shared_ptr<Picture> CopyAsDib(Hbitmap source) {
  Bitmap bm{};
  GetObjectA(source, sizeof bm, &bm);
  // Sizes whose pixel count in bytes does not fit 31 bits are refused here
  // rather than wrapping in the arithmetic below.
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0 || bm.bmWidth > 0x7FFFFFFF / kBytesPerPixel - 1 ||
      bm.bmHeight > 0x7FFFFFFF / Stride(bm.bmWidth))
    Raise(kErrNoPicture);
  BitmapInfo info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = kBiRgb;
  info.bmiHeader.biSizeImage = static_cast<std::uint32_t>(Stride(bm.bmWidth) * bm.bmHeight);

  MemoryDC target(CreateCompatibleDC({})), from(CreateCompatibleDC({}));
  if (!target || !from) Raise(kErrOutOfMemory);
  void* bits = nullptr;
  GdiObject copy(CreateDIBSection(target.get(), &info, kDibRgbColors, &bits, 0, 0));
  if (!copy || !bits) Raise(kErrOutOfMemory);
  {
    const Selection into = SelectInto(target.get(), copy.get());
    const Selection out = SelectInto(from.get(), source);
    BitBlt(target.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, kSrcCopy);
  }
  auto picture = std::make_shared<Picture>(RawHandle(copy.release()), Picture::Type::Bitmap, true);
  picture->set_dibBits(static_cast<std::uint8_t*>(bits));
  return picture;
}

void Put16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }
void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

std::shared_ptr<Picture> ClipboardPicture() {
  OpenedClipboard clipboard(OpenClipboard({}));  // closed again as soon as the copy is taken
  if (!clipboard) Raise(kErrClipboardBusy, {}, {}, GetLastError());
  const Hbitmap bitmap = GetClipboardData(kCfBitmap);
  if (bitmap == Hbitmap{}) Raise(kErrNoPicture);
  return CopyAsDib(bitmap);
}

void SavePicture(const Picture& picture, const std::u16string& path) {
  if (picture.type() != Picture::Type::Bitmap || !picture.handle()) Raise(kErrInvalidArgument);
  std::shared_ptr<Picture> converted;
  const Picture* dib = &picture;
  if (!picture.dibBits()) {
    converted = CopyAsDib(HandleOf<Hbitmap>(picture.handle()));
    dib = converted.get();
  }
  Bitmap bm{};
  GetObjectA(HandleOf<Hbitmap>(dib->handle()), sizeof bm, &bm);
  const std::uint32_t imageSize = static_cast<std::uint32_t>(Stride(bm.bmWidth) * bm.bmHeight);

  // BITMAPFILEHEADER (14 bytes) and BITMAPINFOHEADER (40 bytes), then the
  // pixel rows straight from the DIB section, which has the file's layout.
  std::uint8_t header[54] = {'B', 'M'};
  Put32(header + 2, 54 + imageSize);
  Put32(header + 10, 54);
  Put32(header + 14, 40);
  Put32(header + 18, static_cast<std::uint32_t>(bm.bmWidth));
  Put32(header + 22, static_cast<std::uint32_t>(bm.bmHeight));
  Put16(header + 26, 1);
  Put16(header + 28, 24);
  Put32(header + 34, imageSize);
  if (const std::uint32_t error = detail::WriteWholeFile(path, {{header, sizeof header}, {dib->dibBits(), imageSize}}))
    Raise(kErrFileAccess, {}, {}, error);
}

}  // namespace plat
