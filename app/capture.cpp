// The capture. Print Screen is polled on every timer tick. On the first
// tick after its release the capture folder is checked, and the clipboard
// is watched for the picture Windows put there. A picture counts only when
// the clipboard has changed since the last one saved: Windows 11 may give
// Print Screen to its own capture tool and leave the clipboard alone, and
// the old picture must not be saved again. Windows may still be writing the
// picture, and another program (a clipboard manager) may hold the clipboard
// open, so the capture waits up to a second for either, tick by tick,
// without holding up the window. The picture is saved under the time of
// saving, as a bitmap file or a JPEG of quality 90, and a capture that
// cannot be saved is reported with its file and the reason.
#include <memory>

#include "app/capture_folder.h"
#include "app/main_form.h"
#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/gdi_handles.h"
#include "platform/gdi_types.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr std::int32_t kJpegQuality = 90;
// How long a capture waits for a new picture, and for a busy clipboard.
constexpr std::uint32_t kWaitMs = 1000;
// Between two tries at a busy clipboard.
constexpr std::uint32_t kRetryMs = 20;

constexpr char16_t kNoNewPicture[] =
    u"Print Screen put no new picture on the clipboard, so there was nothing to save.\r\n\r\n"
    u"On Windows 11 the Print Screen key may open the screen capture tool instead. For Varnel to save your "
    u"captures, turn off \"Use the Print screen key to open screen capture\" in Settings, Accessibility, "
    u"Keyboard.";

// True once `from` + `ms` has passed, also across the tick count's wrap.
bool Passed(std::uint32_t now, std::uint32_t from, std::uint32_t ms) { return now - from >= ms; }

// The stamp, or the stamp with "-2", "-3", ... when a capture of the same
// second already stands under it, so that no capture replaces another.
std::u16string FreeName(const std::u16string& base, const char16_t* extension) {
  if (!plat::FileExists(base + extension)) return base;
  for (int n = 2; n < 100000; ++n) {
    std::u16string candidate = base;
    candidate.append(u"-").append(plat::FromUtf8(std::to_string(n)));
    if (!plat::FileExists(candidate + extension)) return candidate;
  }
  plat::Raise(plat::kErrFileAccess);
}

// The clipboard's picture, copied once, straight into the buffer that is
// then encoded or written. The clipboard is open for that copy only.
void CopyClipboardPicture(cDIBSection& buffer) {
  plat::OpenedClipboard clipboard(plat::OpenClipboard({}));
  if (!clipboard) plat::Raise(plat::kErrClipboardBusy, {}, {}, plat::GetLastError());
  const plat::Hbitmap bitmap = plat::GetClipboardData(plat::kCfBitmap);
  if (bitmap == plat::Hbitmap{}) plat::Raise(plat::kErrNoPicture);
  if (!buffer.CreateFromBitmap(bitmap)) plat::Raise(plat::kErrOutOfMemory);
}

// The folder of a capture's file name.
std::u16string FolderOf(const std::u16string& file) { return file.substr(0, file.find_last_of(u'\\')); }

// Why a capture was not saved, in the user's words.
std::u16string Reason(const plat::ErrorState& e, const std::u16string& file) {
  if (e.Number() == plat::kErrClipboardBusy) return u"The clipboard is in use by another program.";
  if (e.Number() == plat::kErrOutOfMemory) return u"There is not enough memory for the picture.";
  switch (e.LastDllError()) {
    case plat::kErrorNotEnoughMemory:
    case plat::kErrorOutOfMemory: return u"There is not enough memory for the picture.";
    case plat::kErrorDiskFull:
    case plat::kErrorHandleDiskFull: return u"The disk is full.";
    case plat::kErrorAccessDenied: return u"Access is denied.";
    case plat::kErrorWriteProtect: return u"The disk is write-protected.";
    case plat::kErrorFilenameExcedRange: return u"The path is too long.";
    case plat::kErrorPathNotFound:
      // The folder was there at the release; gone since (deleted, a drive
      // taken out), that is the cause, however long its name.
      return plat::FolderExists(FolderOf(file)) && file.size() >= plat::kMaxPathChars ? u"The path is too long."
                                                                                      : u"The folder does not exist.";
    case plat::kErrorSharingViolation: return u"The file is in use by another program.";
    case plat::kErrorInvalidName: return u"The file name is not valid.";
    case 0: return u"The picture could not be encoded (" + e.Description() + u").";
    default: return plat::SystemErrorText(e.LastDllError());
  }
}

}  // namespace

void Main::Timer_Timer() {
  if (messageOpen_) return;
  // Any bit set counts as down: held now, or pressed since the last query.
  if (plat::GetAsyncKeyState(plat::kVkSnapshot) != 0) {
    KeyWasDown = true;
  } else if (KeyWasDown) {
    KeyWasDown = false;
    if (capture_)
      releaseWaiting_ = true;
    else
      BeginCapture();
  }
  if (capture_) ContinueCapture();
}

void Main::BeginCapture() {
  plat::Err().Clear();
  // The folder is looked at, never entered: the user can still rename,
  // delete or eject it while Varnel runs.
  std::u16string folder;
  plat::Step([&] { folder = ResolveCaptureFolder(CaptureFolder, plat::AppPath()); });
  if (!plat::FolderExists(folder)) {
    ShowMessage(u"Capture folder does not exist.", u"Error", true);
    return;
  }
  const std::uint32_t now = plat::GetTickCount();
  capture_ = PendingCapture{folder, now, now};
}

void Main::ContinueCapture() {
  PendingCapture& c = *capture_;
  const std::uint32_t now = plat::GetTickCount();
  if (static_cast<std::int32_t>(now - c.nextTry) < 0) return;

  const std::uint32_t sequence = plat::GetClipboardSequenceNumber();
  const bool newPicture = sequence != lastSequence_ && plat::IsClipboardFormatAvailable(plat::kCfBitmap);
  plat::Err().Clear();
  if (newPicture && plat::Step([&] { CopyClipboardPicture(captureBuffer_); })) {
    SaveCapture(captureBuffer_, sequence);
  } else if (!newPicture || plat::Err().Number() == plat::kErrNoPicture) {
    // No new picture yet, or it went again before it could be taken.
    if (!Passed(now, c.releasedAt, kWaitMs)) return;
    if (!noPictureNoticeShown_) {
      noPictureNoticeShown_ = true;
      ShowMessage(kNoNewPicture, u"", false);
    }
  } else if (plat::Err().Number() == plat::kErrClipboardBusy && !(c.busy && Passed(now, c.busySince, kWaitMs))) {
    if (!c.busy) c.busySince = now;
    c.busy = true;
    c.nextTry = now + kRetryMs;
    return;
  } else {
    // The clipboard stayed busy, or its picture could not be copied.
    const std::u16string stamp = plat::FormatDateTime(plat::Now(), u"YYYY-MM-DD-HH-NN-SS");
    ReportUnsaved(plat::Err(), c.folder + u"\\" + stamp + (CaptureFormat.IsBitmap() ? u".bmp" : u".jpg"));
  }
  capture_.reset();
  if (releaseWaiting_) {
    releaseWaiting_ = false;
    BeginCapture();
  }
}

void Main::SaveCapture(cDIBSection& buffer, std::uint32_t sequence) {
  using plat::Step;
  const std::u16string folder = capture_->folder;
  plat::Err().Clear();

  std::u16string stamp;
  Step([&] { stamp = plat::FormatDateTime(plat::Now(), u"YYYY-MM-DD-HH-NN-SS"); });
  const bool bitmap = CaptureFormat.IsBitmap();
  const char16_t* extension = bitmap ? u".bmp" : u".jpg";
  std::u16string name = folder + u"\\" + stamp;
  Step([&] { name = FreeName(name, extension); });
  const std::u16string file = name + extension;

  const bool saved = Step([&] {
    if (bitmap) {
      // The picture writer takes the buffer's pixels as they are: they have
      // a bitmap file's layout.
      plat::Picture pixels(plat::RawHandle(buffer.hDib()), plat::Picture::Type::Bitmap, false);
      pixels.set_dibBits(buffer.DIBSectionBitsPtr());
      plat::SavePicture(pixels, file);
    } else {
      mIntelJPEGLibrary::SaveDibAsJpeg(buffer, file, kJpegQuality);
    }
  });
  if (!saved) {
    // The picture stays unsaved on the clipboard: the next release can
    // still take it, once the cause is gone.
    ReportUnsaved(plat::Err(), file);
    return;
  }
  lastSequence_ = sequence;

  if (AutoOpen) {
    Step([&] {
      const std::u16string open = name + (bitmap ? u".BMP" : u".JPG");
      plat::ShellExecuteW(form_.hWnd(), u"open", open.c_str(), u"", u"", plat::kSwShowNormal);
    });
  }
}

void Main::ReportUnsaved(const plat::ErrorState& why, const std::u16string& file) {
  ShowMessage(u"The capture could not be saved as\r\n" + file + u"\r\n\r\n" + Reason(why, file), u"Error", true);
}

void Main::ShowMessage(const std::u16string& prompt, const std::u16string& title, bool showWindow) {
  if (showWindow) plat::Step([&] { form_.Show(); });
  messageOpen_ = true;
  plat::Step([&] { plat::MsgBox(prompt, title); });
  messageOpen_ = false;
}

}  // namespace varnel
