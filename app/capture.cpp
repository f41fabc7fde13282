// The capture: Print Screen is polled on every timer tick; on the first
// tick after its release the clipboard's picture is saved into the capture
// folder under the time of saving, as a bitmap file or a JPEG of quality 90.
#include <memory>

#include "app/main_form.h"
#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/api.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr std::int32_t kJpegQuality = 90;

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

}  // namespace

void Main::Timer_Timer() {
  if (folderMessageOpen_) return;
  // Any bit set counts as down: held now, or pressed since the last query.
  if (plat::GetAsyncKeyState(plat::kVkSnapshot) != 0) {
    KeyWasDown = true;
    return;
  }
  if (!KeyWasDown) return;
  Capture();
  KeyWasDown = false;
}

void Main::Capture() {
  using plat::Step;
  plat::Err().Clear();
  if (!Step([&] { plat::ChDir(CaptureFolder); })) {
    Step([&] { form_.Show(); });
    folderMessageOpen_ = true;
    Step([&] { plat::MsgBox(u"Capture folder does not exist.", u"Error"); });
    folderMessageOpen_ = false;
    return;
  }

  std::u16string stamp;
  Step([&] { stamp = plat::FormatDateTime(plat::Now(), u"YYYY-MM-DD-HH-NN-SS"); });
  const bool bitmap = CaptureFormat.IsBitmap();
  const char16_t* extension = bitmap ? u".bmp" : u".jpg";
  std::u16string name = CaptureFolder + u"\\" + stamp;
  Step([&] { name = FreeName(name, extension); });

  std::shared_ptr<cDIBSection> buffer;  // lives for this capture only
  if (bitmap) {
    Step([&] { plat::SavePicture(*plat::ClipboardPicture(), name + extension); });
  } else {
    Step([&] { buffer = std::make_shared<cDIBSection>(); });
    Step([&] { buffer->CreateFromPicture(plat::ClipboardPicture()); });
    Step([&] { mIntelJPEGLibrary::SaveDibAsJpeg(*buffer, name + extension, kJpegQuality); });
  }

  if (AutoOpen) {
    Step([&] {
      const std::string file = plat::ToAnsi(name + (bitmap ? u".BMP" : u".JPG"));
      plat::ShellExecuteA(form_.hWnd(), "open", file.c_str(), "", "", plat::kSwShowNormal);
    });
  }
}

}  // namespace varnel
