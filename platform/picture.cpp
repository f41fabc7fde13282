#include "platform/picture.h"

#include <cstring>

#include "platform/dib_layout.h"
#include "platform/error.h"
#include "platform/file_write.h"
#include "platform/gdi_handles.h"

namespace plat {

namespace {

// A 24-bit bottom-up DIB section holding a copy of `source`.
std::shared_ptr<Picture> CopyAsDib(Hbitmap source) {
  Bitmap bm{};
  GetObjectA(source, sizeof bm, &bm);
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0) Raise(kErrNoPicture);
  BitmapInfo info{};
  // A bitmap whose pixels in bytes do not fit 31 bits counts as no picture.
  try {
    Fill24BitHeader(info.bmiHeader, bm.bmWidth, bm.bmHeight);
  } catch (const Error&) {
    Raise(kErrNoPicture);
  }

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

void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

Picture::~Picture() {
  if (owned_ && handle_ != 0) DestroyPictureHandle(handle_, type_);
}

std::shared_ptr<Picture> ClipboardPicture() {
  OpenedClipboard clipboard(OpenClipboard({}));  // closed again as soon as the copy is taken
  if (!clipboard) Raise(kErrClipboardBusy, {}, {}, GetLastError());
  const auto bitmap = HandleOf<Hbitmap>(GetClipboardData(kCfBitmap));
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
  BitmapInfoHeader info{};
  Fill24BitHeader(info, bm.bmWidth, bm.bmHeight);
  const std::uint32_t imageSize = info.biSizeImage;

  // BITMAPFILEHEADER (14 bytes) and BITMAPINFOHEADER (40 bytes, stored as
  // Windows lays it out: little-endian, no padding), then the pixel rows
  // straight from the DIB section, which has the file's layout.
  std::uint8_t header[54] = {'B', 'M'};
  Put32(header + 2, 54 + imageSize);
  Put32(header + 10, 54);
  static_assert(sizeof info == 40);
  std::memcpy(header + 14, &info, sizeof info);
  if (const std::uint32_t error = detail::WriteWholeFile(path, {{header, sizeof header}, {dib->dibBits(), imageSize}}))
    Raise(kErrFileAccess, {}, {}, error);
}

}  // namespace plat
