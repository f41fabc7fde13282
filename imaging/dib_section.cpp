#include "imaging/dib_section.h"

#include <utility>

#include "platform/api.h"
#include "platform/dib_layout.h"
#include "platform/error.h"
#include "platform/gdi_handles.h"

namespace varnel {

namespace {

// Writes the header for a 24-bit picture of the size and creates a DIB
// section for it. `bits` receives the pixel address (null on failure).
// Raises the overflow error, with nothing created, when the picture's size
// in bytes does not fit 32 bits.
plat::Hbitmap NewSection(plat::Hdc lhDC, std::int32_t lWidth, std::int32_t lHeight, plat::BitmapInfo& info,
                         std::uint8_t*& bits) {
  plat::Fill24BitHeader(info.bmiHeader, lWidth, lHeight);
  void* address = nullptr;
  const plat::Hbitmap section = plat::CreateDIBSection(lhDC, &info, plat::kDibRgbColors, &address, 0, 0);
  bits = section != plat::Hbitmap{} ? static_cast<std::uint8_t*>(address) : nullptr;
  return section;
}

}  // namespace

cDIBSection::~cDIBSection() { ClearUp(); }

bool cDIBSection::CreateDIB(plat::Hdc lhDC, std::int32_t lWidth, std::int32_t lHeight, plat::Hbitmap& hDib) {
  // The new section belongs to the caller. The header and pixel address of
  // a buffer this object holds keep describing that buffer, so that its
  // readers never reach pixels the caller may delete; an empty object only
  // records the size.
  plat::BitmapInfo local{};
  std::uint8_t* bits = nullptr;
  const bool ready = hMemDC && hDibBitmap;
  hDib = NewSection(lhDC, lWidth, lHeight, ready ? local : tBitmapInfo, bits);
  return hDib != plat::Hbitmap{};
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
  ClearUp();
  plat::MemoryDC dc(plat::CreateCompatibleDC({}));
  if (!dc) return false;
  // An overflowing size raises here and leaves no device context behind.
  plat::GdiObject section(NewSection(dc.get(), lWidth, lHeight, tBitmapInfo, lBitsPtr));
  if (!section) return false;
  hMemDC = std::move(dc);
  hDibBitmap = std::move(section);
  hPrevBitmap = plat::SelectInto(hMemDC.get(), hDibBitmap.get());
  return true;
}

void cDIBSection::CreateFromPicture(const std::shared_ptr<plat::Picture>& picThis) {
  if (!picThis) plat::Raise(plat::kErrObjectNotSet);
  plat::Bitmap description{};
  plat::GetObjectA(plat::HandleOf<plat::Hbitmap>(picThis->handle()), sizeof description, &description);
  if (!Create(description.bmWidth, description.bmHeight)) return;

  plat::WindowDC desktop = plat::TakeWindowDC(plat::GetDesktopWindow());
  if (!desktop) return;
  plat::MemoryDC picture(plat::CreateCompatibleDC(desktop.get()));
  desktop.reset();
  if (!picture) return;
  const plat::Selection selected = plat::SelectInto(picture.get(), plat::HandleOf<plat::Hbitmap>(picThis->handle()));
  LoadPictureBlt(picture.get(), 0, 0, -1, -1, plat::kSrcCopy);
}

bool cDIBSection::Prepare(std::int32_t lWidth, std::int32_t lHeight) {
  if (hDibBitmap && Width() == lWidth && Height() == lHeight) return true;
  return Create(lWidth, lHeight);
}

cDIBSection::Fill cDIBSection::CreateFromBitmap(plat::Hbitmap hBitmap) {
  plat::Bitmap description{};
  // GDI often fails without a code of its own: no earlier one may show.
  plat::SetLastError(0);
  if (plat::GetObjectA(hBitmap, sizeof description, &description) == 0 || description.bmWidth <= 0 ||
      description.bmHeight <= 0)
    return Fill::Unreadable;
  if (!Prepare(description.bmWidth, description.bmHeight)) return Fill::NoMemory;
  // GetDIBits may write into the header it is given: a copy, so the
  // buffer's own stays as Create wrote it.
  plat::BitmapInfo format = tBitmapInfo;
  plat::SetLastError(0);
  const std::int32_t lines = plat::GetDIBits(hMemDC.get(), hBitmap, 0, static_cast<std::uint32_t>(Height()), lBitsPtr,
                                             &format, plat::kDibRgbColors);
  return lines == Height() ? Fill::Done : Fill::Unreadable;
}

cDIBSection::Fill cDIBSection::CreateFromPackedDib(const PackedDib& picture) {
  if (!Prepare(picture.width, picture.height)) return Fill::NoMemory;
  plat::SetLastError(0);
  const auto height = static_cast<std::uint32_t>(picture.height);
  const std::int32_t lines =
      plat::SetDIBitsToDevice(hMemDC.get(), 0, 0, static_cast<std::uint32_t>(picture.width), height, 0, 0, 0, height,
                              picture.bits, picture.info, plat::kDibRgbColors);
  return lines == picture.height ? Fill::Done : Fill::Unreadable;
}

std::int32_t cDIBSection::BytesPerScanLine() const { return plat::ScanLineBytes(tBitmapInfo.bmiHeader.biWidth); }

std::int32_t cDIBSection::Width() const { return tBitmapInfo.bmiHeader.biWidth; }

std::int32_t cDIBSection::Height() const { return tBitmapInfo.bmiHeader.biHeight; }

void cDIBSection::LoadPictureBlt(plat::Hdc lhDC, std::int32_t lSrcLeft, std::int32_t lSrcTop, std::int32_t lSrcWidth,
                                 std::int32_t lSrcHeight, std::uint32_t eRop) {
  if (lSrcWidth < 0) lSrcWidth = Width();
  if (lSrcHeight < 0) lSrcHeight = Height();
  plat::BitBlt(hMemDC.get(), 0, 0, lSrcWidth, lSrcHeight, lhDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(plat::Hdc lhDC, std::int32_t lDestLeft, std::int32_t lDestTop, std::int32_t lDestWidth,
                               std::int32_t lDestHeight, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                               std::uint32_t eRop) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  plat::BitBlt(lhDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hMemDC.get(), lSrcLeft, lSrcTop, eRop);
}

plat::Hdc cDIBSection::hdc() const { return hMemDC.get(); }

plat::Hbitmap cDIBSection::hDib() const { return hDibBitmap.get(); }

std::uint8_t* cDIBSection::DIBSectionBitsPtr() const { return lBitsPtr; }

void cDIBSection::ClearUp() {
  hPrevBitmap.reset();
  hDibBitmap.reset();
  hMemDC.reset();
  lBitsPtr = nullptr;
}

}  // namespace varnel
