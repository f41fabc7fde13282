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
  // The pixel rows go straight from the DIB section, which has the file's layout.
  const auto header = BitmapFileHeader(bm.bmWidth, bm.bmHeight);
  const std::size_t imageSize =
      static_cast<std::size_t>(ScanLineBytes(bm.bmWidth)) * static_cast<std::size_t>(bm.bmHeight);
  WriteWholeFile(path, {{header.data(), header.size()}, {dib->dibBits(), imageSize}});
}

}  // namespace plat
