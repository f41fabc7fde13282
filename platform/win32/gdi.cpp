// The real backend of the graphics, device-context and clipboard functions
// of api.h: straight calls of gdi32 and user32.
#include <cstddef>

#include "platform/api.h"
#include "platform/win32/win.h"

namespace plat {

namespace {

HDC Dc(Handle h) { return reinterpret_cast<HDC>(h); }
HGDIOBJ Obj(Handle h) { return reinterpret_cast<HGDIOBJ>(h); }
HWND Wnd(Handle h) { return reinterpret_cast<HWND>(h); }
template <class T>
Handle H(T h) {
  return reinterpret_cast<Handle>(h);
}

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

}  // namespace

Handle CreateDIBSection(Handle hdc, const BitmapInfo* pbmi, std::uint32_t usage, void** ppvBits,
                        Handle hSection, std::uint32_t offset) {
  return H(::CreateDIBSection(Dc(hdc), reinterpret_cast<const BITMAPINFO*>(pbmi), usage, ppvBits,
                              reinterpret_cast<HANDLE>(hSection), offset));
}

std::int32_t GetDIBits(Handle hdc, Handle hbm, std::uint32_t start, std::uint32_t cLines, void* lpvBits,
                       BitmapInfo* lpbmi, std::uint32_t usage) {
  return ::GetDIBits(Dc(hdc), reinterpret_cast<HBITMAP>(hbm), start, cLines, lpvBits,
                     reinterpret_cast<BITMAPINFO*>(lpbmi), usage);
}

Handle CreateCompatibleDC(Handle hdc) { return H(::CreateCompatibleDC(Dc(hdc))); }

Handle CreateCompatibleBitmap(Handle hdc, std::int32_t cx, std::int32_t cy) {
  return H(::CreateCompatibleBitmap(Dc(hdc), cx, cy));
}

Handle SelectObject(Handle hdc, Handle h) { return H(::SelectObject(Dc(hdc), Obj(h))); }

bool BitBlt(Handle hdc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
            Handle hdcSrc, std::int32_t x1, std::int32_t y1, std::uint32_t rop) {
  return ::BitBlt(Dc(hdc), x, y, cx, cy, Dc(hdcSrc), x1, y1, rop) != FALSE;
}

std::int32_t GetObjectA(Handle h, std::int32_t c, void* pv) { return ::GetObjectA(Obj(h), c, pv); }

bool DeleteObject(Handle ho) { return ::DeleteObject(Obj(ho)) != FALSE; }
bool DeleteDC(Handle hdc) { return ::DeleteDC(Dc(hdc)) != FALSE; }

Handle GetDesktopWindow() { return H(::GetDesktopWindow()); }
Handle GetDC(Handle hWnd) { return H(::GetDC(Wnd(hWnd))); }
std::int32_t ReleaseDC(Handle hWnd, Handle hDC) { return ::ReleaseDC(Wnd(hWnd), Dc(hDC)); }

bool OpenClipboard(Handle hWndNewOwner) { return ::OpenClipboard(Wnd(hWndNewOwner)) != FALSE; }
bool EmptyClipboard() { return ::EmptyClipboard() != FALSE; }
Handle SetClipboardData(std::uint32_t uFormat, Handle hMem) {
  return H(::SetClipboardData(uFormat, reinterpret_cast<HANDLE>(hMem)));
}
bool CloseClipboard() { return ::CloseClipboard() != FALSE; }
Handle GetClipboardData(std::uint32_t uFormat) { return H(::GetClipboardData(uFormat)); }
bool IsClipboardFormatAvailable(std::uint32_t format) { return ::IsClipboardFormatAvailable(format) != FALSE; }
Handle GetClipboardOwner() { return H(::GetClipboardOwner()); }
std::uint32_t GetClipboardSequenceNumber() { return ::GetClipboardSequenceNumber(); }

}  // namespace plat
