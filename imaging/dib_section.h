// The program's in-memory image: a 24-bit bottom-up DIB section kept
// selected into a memory device context that the object owns. The same
// pixels are reached by drawing through hdc(), as the bitmap hDib(), and as
// bytes through DIBSectionBitsPtr(): three bytes a pixel (blue, green,
// red), each scan line padded to a multiple of 4 bytes, the bottom row of
// the picture first in memory.
//
// Hold objects in std::shared_ptr: the object lives while a holder keeps a
// reference. Handles and the pixel address it returns are lent: they stay
// valid until the next Create, CreateFromPicture, CreateFromBitmap,
// CreateFromPackedDib or ClearUp, or the object's destruction, and the caller never releases them.
#pragma once

#include <cstdint>
#include <memory>

#include "imaging/image_view.h"
#include "imaging/packed_dib.h"
#include "platform/gdi_handles.h"
#include "platform/gdi_types.h"
#include "platform/picture.h"
#include "platform/types.h"

namespace varnel {

class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection();
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Puts a copy of the picture on the clipboard as a device-dependent
  // bitmap. The device-independent form (the default) is not supported:
  // it shows a message and returns false. True only when the clipboard
  // took the bitmap.
  bool CopyToClipboard(bool bAsDIB = true);

  // Creates a 24-bit DIB section of lWidth x lHeight; hDib receives its
  // handle (0 on failure) and the caller owns it. Selects and releases
  // nothing. An empty object records the size in its header; a ready one
  // keeps describing its own buffer. Raises the overflow error when the
  // size in bytes does not fit 32 bits.
  bool CreateDIB(plat::Hdc lhDC, std::int32_t lWidth, std::int32_t lHeight, plat::Hbitmap& hDib);

  // Creates the buffer at the size of the picture's bitmap and copies the
  // picture in. Stops at the first step that fails; ask hdc() or hDib()
  // whether it worked.
  void CreateFromPicture(const std::shared_ptr<plat::Picture>& picThis);

  // What became of a copy into the buffer. Unreadable leaves the cause in
  // plat::GetLastError() (0 when the system gave none); NoMemory means that
  // the buffer could not be had at the picture's size.
  enum class Fill { Done, Unreadable, NoMemory };

  // Takes the pixels of the bitmap (which must be selected into no device
  // context) with one GetDIBits: one conversion, where CreateFromPicture
  // makes a picture copy and then a bit-block transfer. The buffer is
  // created at the bitmap's size, unless it is ready at that size already:
  // then its memory is used again, as it is when one buffer takes picture
  // after picture. Done when every scan line arrived.
  Fill CreateFromBitmap(plat::Hbitmap hBitmap);
  // The same for a packed picture, in any format GDI draws: GDI converts
  // its pixels into the buffer's in one SetDIBitsToDevice.
  Fill CreateFromPackedDib(const PackedDib& picture);

  // Releases any buffer held, then creates a ready buffer of the size.
  bool Create(std::int32_t lWidth, std::int32_t lHeight);

  std::int32_t BytesPerScanLine() const;
  std::int32_t Width() const;
  std::int32_t Height() const;
  // The header last written by CreateDIB (all zero on a new object).
  const plat::BitmapInfoHeader& Header() const { return tBitmapInfo.bmiHeader; }

  // Copies an area of lhDC into the buffer's top-left corner. A negative
  // width or height stands for the buffer's own.
  void LoadPictureBlt(plat::Hdc lhDC, std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0, std::int32_t lSrcWidth = -1,
                      std::int32_t lSrcHeight = -1, std::uint32_t eRop = plat::kSrcCopy);
  // Draws the buffer into lhDC. A negative width or height stands for the
  // buffer's own.
  void PaintPicture(plat::Hdc lhDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0, std::int32_t lDestWidth = -1,
                    std::int32_t lDestHeight = -1, std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                    std::uint32_t eRop = plat::kSrcCopy);

  plat::Hdc hdc() const;
  plat::Hbitmap hDib() const;
  std::uint8_t* DIBSectionBitsPtr() const;
  // The pixels as the encoders read them; lent like DIBSectionBitsPtr.
  ImageView View() const { return {lBitsPtr, Width(), Height(), BytesPerScanLine()}; }

  // Overwrites every pixel with noise: grey (the three bytes equal) or
  // colour (blue 0, green and red random). Padding bytes are kept.
  void RandomiseBits(bool bGray = false);

  // Releases the device context and the DIB section. The header stays.
  void ClearUp();

  // A new buffer with the picture scaled bilinearly to the new size (height
  // first), or an unchanged copy when the size is the same; nullptr when
  // the new buffer cannot be created. Raises the subscript error when the
  // source is too small to interpolate from.
  std::shared_ptr<cDIBSection> Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) const;

 private:
  void InterpolateInto(cDIBSection& destination) const;
  // Ready at the size: the buffer held, when it has that size, else a new one.
  bool Prepare(std::int32_t lWidth, std::int32_t lHeight);

  // Ended in the reverse order: the bitmap the context came with is
  // selected back, then the section and the context are deleted.
  plat::MemoryDC hMemDC;
  plat::GdiObject hDibBitmap;
  plat::Selection hPrevBitmap;
  std::uint8_t* lBitsPtr = nullptr;
  plat::BitmapInfo tBitmapInfo{};
};

}  // namespace varnel
