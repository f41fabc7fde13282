// The real backend of the graphics, device-context and clipboard functions
// of api.h: straight calls of gdi32 and user32.
#include <cstddef>

#include "platform/api.h"
#include "platform/win32/handles.h"
#include "platform/win32/win.h"

namespace plat {

namespace {

using win32::From;
using win32::To;

HDC Dc(Hdc h) { return To<HDC>(h); }
HBITMAP Bmp(Hbitmap h) { return To<HBITMAP>(h); }
HWND Wnd(Hwnd h) { return To<HWND>(h); }

// Our records must be the platform's, field for field.
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == offsetof(BITMAPINFOHEADER, biSizeImage));
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant));
static_assert(sizeof(BitmapInfo) == sizeof(BITMAPINFO));
static_assert(sizeof(Bitmap) == sizeof(BITMAP));
static_assert(offsetof(Bitmap, bmWidthBytes) == offsetof(BITMAP, bmWidthBytes));
static_assert(offsetof(Bitmap, bmBitsPixel) == offsetof(BITMAP, bmBitsPixel));
static_assert(offsetof(Bitmap, bmBits) == offsetof(BITMAP, bmBits));
static_assert(kSrcCopy == SRCCOPY && kSrcPaint == SRCPAINT && kSrcAnd == SRCAND && kSrcInvert == SRCINVERT);
static_assert(kSrcErase == SRCERASE && kNotSrcCopy == NOTSRCCOPY && kNotSrcErase == NOTSRCERASE);
static_assert(kMergePaint == MERGEPAINT && kDstInvert == DSTINVERT && kPatCopy == PATCOPY);
static_assert(kBlackness == BLACKNESS && kWhiteness == WHITENESS);
static_assert(kCfBitmap == CF_BITMAP && kCfDib == CF_DIB && kDibRgbColors == DIB_RGB_COLORS);
static_assert(kBiRgb == BI_RGB && kBiBitfields == BI_BITFIELDS && kGmemMoveable == GMEM_MOVEABLE);

}  // namespace

Hbitmap CreateDIBSection(Hdc hdc, const BitmapInfo* pbmi, std::uint32_t usage, void** ppvBits, Handle hSection,
                         std::uint32_t offset) {
  return From<Hbitmap>(::CreateDIBSection(Dc(hdc), reinterpret_cast<const BITMAPINFO*>(pbmi), usage, ppvBits,
                                          reinterpret_cast<HANDLE>(hSection), offset));
}

std::int32_t GetDIBits(Hdc hdc, Hbitmap hbm, std::uint32_t start, std::uint32_t cLines, void* lpvBits,
                       BitmapInfo* lpbmi, std::uint32_t usage) {
  return ::GetDIBits(Dc(hdc), Bmp(hbm), start, cLines, lpvBits, reinterpret_cast<BITMAPINFO*>(lpbmi), usage);
}

Hdc CreateCompatibleDC(Hdc hdc) { return From<Hdc>(::CreateCompatibleDC(Dc(hdc))); }

Hbitmap CreateCompatibleBitmap(Hdc hdc, std::int32_t cx, std::int32_t cy) {
  return From<Hbitmap>(::CreateCompatibleBitmap(Dc(hdc), cx, cy));
}

Hbitmap SelectObject(Hdc hdc, Hbitmap h) { return From<Hbitmap>(::SelectObject(Dc(hdc), Bmp(h))); }

bool BitBlt(Hdc hdc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, Hdc hdcSrc, std::int32_t x1,
            std::int32_t y1, std::uint32_t rop) {
  return ::BitBlt(Dc(hdc), x, y, cx, cy, Dc(hdcSrc), x1, y1, rop) != FALSE;
}

std::int32_t SetDIBitsToDevice(Hdc hdc, std::int32_t xDest, std::int32_t yDest, std::uint32_t w, std::uint32_t h,
                               std::int32_t xSrc, std::int32_t ySrc, std::uint32_t StartScan, std::uint32_t cLines,
                               const void* lpvBits, const BitmapInfo* lpbmi, std::uint32_t ColorUse) {
  return ::SetDIBitsToDevice(Dc(hdc), xDest, yDest, w, h, xSrc, ySrc, StartScan, cLines, lpvBits,
                             reinterpret_cast<const BITMAPINFO*>(lpbmi), ColorUse);
}

Hglobal GlobalAlloc(std::uint32_t uFlags, std::size_t dwBytes) { return From<Hglobal>(::GlobalAlloc(uFlags, dwBytes)); }
void* GlobalLock(Hglobal hMem) { return ::GlobalLock(To<HGLOBAL>(hMem)); }
bool GlobalUnlock(Hglobal hMem) { return ::GlobalUnlock(To<HGLOBAL>(hMem)) != FALSE; }
std::size_t GlobalSize(Hglobal hMem) { return ::GlobalSize(To<HGLOBAL>(hMem)); }
Hglobal GlobalFree(Hglobal hMem) { return From<Hglobal>(::GlobalFree(To<HGLOBAL>(hMem))); }

std::int32_t GetObjectA(Hbitmap h, std::int32_t c, void* pv) { return ::GetObjectA(Bmp(h), c, pv); }

bool DeleteObject(Hbitmap ho) { return ::DeleteObject(Bmp(ho)) != FALSE; }
bool DeleteDC(Hdc hdc) { return ::DeleteDC(Dc(hdc)) != FALSE; }

Hwnd GetDesktopWindow() { return From<Hwnd>(::GetDesktopWindow()); }
Hdc GetDC(Hwnd hWnd) { return From<Hdc>(::GetDC(Wnd(hWnd))); }
std::int32_t ReleaseDC(Hwnd hWnd, Hdc hDC) { return ::ReleaseDC(Wnd(hWnd), Dc(hDC)); }

bool OpenClipboard(Hwnd hWndNewOwner) { return ::OpenClipboard(Wnd(hWndNewOwner)) != FALSE; }
bool EmptyClipboard() { return ::EmptyClipboard() != FALSE; }
Handle SetClipboardData(std::uint32_t uFormat, Handle hMem) {
  return reinterpret_cast<Handle>(::SetClipboardData(uFormat, reinterpret_cast<HANDLE>(hMem)));
}
bool CloseClipboard() { return ::CloseClipboard() != FALSE; }
Handle GetClipboardData(std::uint32_t uFormat) { return reinterpret_cast<Handle>(::GetClipboardData(uFormat)); }
bool IsClipboardFormatAvailable(std::uint32_t format) { return ::IsClipboardFormatAvailable(format) != FALSE; }
Hwnd GetClipboardOwner() { return From<Hwnd>(::GetClipboardOwner()); }
std::uint32_t GetClipboardSequenceNumber() { return ::GetClipboardSequenceNumber(); }

}  // namespace plat
