#include "app/clipboard_picture.h"

#include "imaging/packed_dib.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/gdi_handles.h"

namespace varnel {

namespace {

using Fill = cDIBSection::Fill;

[[noreturn]] void Unreadable(std::uint32_t why) { plat::Raise(plat::kErrInvalidPicture, {}, {}, why); }

}  // namespace

std::uint32_t CopyClipboardPicture(cDIBSection& buffer) {
  plat::OpenedClipboard clipboard(plat::OpenClipboard({}));
  if (!clipboard) plat::Raise(plat::kErrClipboardBusy, {}, {}, plat::GetLastError());

  const auto bitmap = plat::HandleOf<plat::Hbitmap>(plat::GetClipboardData(plat::kCfBitmap));
  std::uint32_t why = 0;
  if (bitmap != plat::Hbitmap{}) {
    const Fill fill = buffer.CreateFromBitmap(bitmap);
    if (fill == Fill::Done) return plat::GetClipboardSequenceNumber();
    if (fill == Fill::NoMemory) plat::Raise(plat::kErrOutOfMemory);
    why = plat::GetLastError();
  }

  // The bitmap could not be read. That happens where GDI cannot convert it,
  // and under Wine, which hands a 64-bit program a 32-bit program's bitmap
  // as the raw memory it was sent in. The packed form of the picture
  // travels as plain bytes.
  const auto packed = plat::HandleOf<plat::Hglobal>(plat::GetClipboardData(plat::kCfDib));
  if (packed == plat::Hglobal{}) {
    if (bitmap == plat::Hbitmap{}) plat::Raise(plat::kErrNoPicture);
    Unreadable(why);
  }
  const plat::LockedGlobal locked = plat::LockGlobal(packed);
  if (!locked) Unreadable(plat::GetLastError());
  const auto picture = ParsePackedDib(locked.get().address, plat::GlobalSize(packed));
  if (!picture) Unreadable(why);
  switch (buffer.CreateFromPackedDib(*picture)) {
    case Fill::Done: return plat::GetClipboardSequenceNumber();
    case Fill::NoMemory: plat::Raise(plat::kErrOutOfMemory);
    case Fill::Unreadable: Unreadable(plat::GetLastError());
  }
  Unreadable(0);
}

}  // namespace varnel
