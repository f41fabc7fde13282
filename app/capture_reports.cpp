// Main's part in the capture: Windows' reports handed to the capture, and
// what the capture reports told to the user (a message, a balloon, the
// new file opened).
#include <iterator>
#include <string>

#include "app/main_form.h"
#include "app/snipping_setting.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr char16_t kSnipNoticeTitle[] = u"Print Screen opens the Snipping Tool";
constexpr char16_t kSnipNotice[] =
    u"On this PC, Print Screen opens the Snipping Tool. Varnel saves each snip you make after pressing it. "
    u"To capture the whole screen at once, turn off \"Use the Print screen key to open screen capture\": "
    u"click here.";
static_assert(std::size(kSnipNotice) <= 256, "a balloon's text takes 255 characters");

constexpr char16_t kCaptureNoticeTitle[] = u"Capture saved";

constexpr char16_t kNoNewPicture[] =
    u"Print Screen put no new picture on the clipboard, so there was nothing to save.\r\n\r\n"
    u"On Windows 11 the Print Screen key may open the screen capture tool instead. For Varnel to save your "
    u"captures, turn off \"Use the Print screen key to open screen capture\" in Settings, Accessibility, "
    u"Keyboard.";

}  // namespace

void Main::Form_RawKey(const plat::RawKey& key) {
  capture_.RawKey(key);
  messages_.ShowWaiting();
}

void Main::Form_ClipboardUpdate(std::uint32_t time) {
  capture_.ClipboardUpdate(time);
  messages_.ShowWaiting();
}

void Main::Timer_Timer() {
  capture_.Tick();
  messages_.ShowWaiting();
}

void Main::OpenCapture(const std::u16string& file) {
  // The name as it was written, with the extension in capitals.
  std::u16string open = file;
  for (std::size_t i = open.rfind(u'.') + 1; i < open.size(); ++i)
    if (open[i] >= u'a' && open[i] <= u'z') open[i] = static_cast<char16_t>(open[i] - u'a' + u'A');
  plat::Attempt([&] { plat::ShellExecuteW(form_.hWnd(), u"open", open.c_str(), u"", u"", plat::kSwShowNormal); });
}

// "2026-12-08-14-03-22.png — 2560×1440, 412 KB": the name, the size in
// pixels and the size on disk as Windows writes sizes; quiet, since
// Windows shows it as a notification.
void Main::ShowCaptureNotice(const Capture::Report& report) {
  if (!TrayIcon || TrayIcon->State() == 0) return;
  std::u16string text = report.file.substr(report.file.rfind(u'\\') + 1);
  text += u" \u2014 " + plat::FromUtf8(std::to_string(report.width)) + u"\u00d7" +
          plat::FromUtf8(std::to_string(report.height));
  char16_t size[32] = {};
  if (plat::StrFormatByteSizeW(plat::FileLen(report.file), size, 32)) text += u", " + std::u16string(size);
  if (TrayIcon->ShowBalloon(kCaptureNoticeTitle, text, true)) {
    balloon_ = Balloon::CaptureNotice;
    balloonFile_ = report.file;
  }
}

void Main::Capture_Report(const Capture::Report& report) {
  using Kind = Capture::Report::Kind;
  switch (report.kind) {
    case Kind::Saved:
      // The file is written: the notice can neither delay nor undo it.
      if (settings.Notice) plat::Attempt([&] { ShowCaptureNotice(report); });
      if (settings.AutoOpen) OpenCapture(report.file);
      break;
    case Kind::Failed: {
      const std::u16string prompt = NotSavedPrompt(report.file, report.reason);
      if (report.kept != 0)
        OfferSaveAs(prompt, report.kept);
      else
        ShowMessage(prompt, u"Error", true);
      break;
    }
    case Kind::NoFolder: ShowMessage(u"Capture folder does not exist.", u"Error", true); break;
    case Kind::NoNewPicture:
      if (!noPictureNoticeShown_) {
        noPictureNoticeShown_ = true;
        ShowMessage(kNoNewPicture, u"", false);
      }
      break;
    case Kind::SnipAwaited:
      if (!snipNoticeShown_ && TrayIcon) {
        // Told once a run, without a message that would stand over the overlay.
        snipNoticeShown_ = true;
        plat::Attempt([&] {
          if (TrayIcon->ShowBalloon(kSnipNoticeTitle, kSnipNotice)) balloon_ = Balloon::SnipNotice;
        });
      }
      break;
  }
}

}  // namespace varnel
