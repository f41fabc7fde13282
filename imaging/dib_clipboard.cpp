// cDIBSection::CopyToClipboard: the picture goes to the clipboard as a
// screen-compatible (device-dependent) bitmap.
#include "imaging/dib_section.h"
#include "platform/gdi_handles.h"
#include "platform/toolkit.h"

namespace varnel {

bool cDIBSection::CopyToClipboard(bool bAsDIB) {
  bool result = false;
  const plat::Hwnd desktopWindow = plat::GetDesktopWindow();
  plat::WindowDC desktop = plat::TakeWindowDC(desktopWindow);
  if (!desktop) return false;
  plat::MemoryDC memory(plat::CreateCompatibleDC(desktop.get()));
  if (!memory) return false;

  if (bAsDIB) {
    plat::MsgBox(u"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!", u"", {}, false);
    return false;
  }

  // A buffer without pixels has no picture to give: asking the platform
  // for a bitmap of its size would put an empty or 1 x 1 bitmap on the
  // clipboard and report success.
  if (!hMemDC || !hDibBitmap) return false;

  // Compatible with the screen, not with the memory context (whose own
  // bitmap is a 1 x 1 monochrome one).
  plat::GdiObject bitmap(plat::CreateCompatibleBitmap(desktop.get(), Width(), Height()));
  if (!bitmap) return false;
  {
    const plat::Selection selected = plat::SelectInto(memory.get(), bitmap.get());
    PaintPicture(memory.get(), 0, 0, -1, -1, 0, 0, plat::kSrcCopy);
  }

  plat::OpenedClipboard clipboard(plat::OpenClipboard({}));
  if (!clipboard) return false;
  plat::EmptyClipboard();
  if (plat::SetClipboardData(plat::kCfBitmap, plat::RawHandle(bitmap.get())) != 0) {
    bitmap.release();  // the clipboard's now
    result = true;
  }
  return result;
}

}  // namespace varnel
