// The capture. Windows tells Varnel of Print Screen (raw keyboard input,
// also while another window has the focus) and of every change of the
// clipboard; no timer runs while nothing is pending. A press remembers the
// clipboard's sequence number from just before it, and its capture takes
// only a picture put there after that: Windows 11 may give Print Screen to
// its own capture tool and leave the clipboard alone, and a picture copied
// earlier is not this press's. On the release the capture folder is
// checked and the picture taken; where it is not there yet the capture
// waits up to a second for it, and where another program (clipboard
// history, a clipboard manager) holds the clipboard open, up to five,
// without holding up the window. Where Windows 11 gives Print Screen to the
// Snipping Tool, the capture waits up to a minute for the snip the user
// makes, silently. The picture is saved under the time of saving, in the
// format in force, and a capture that cannot be saved is reported with its
// file and the reason.
#include "app/capture.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/capture_folder.h"
#include "app/clipboard_picture.h"
#include "app/file_formats.h"
#include "app/snipping_setting.h"
#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/gdi_types.h"
#include "platform/file_write.h"
#include "platform/text.h"
#include "platform/unique.h"

namespace varnel {

namespace {

// How long a capture waits for a new picture.
constexpr std::uint32_t kWaitMs = 1000;
// How long it waits for a clipboard another program holds open. Windows
// 10 and 11's clipboard history and cloud clipboard open it after every
// change, the longer the larger the picture; the wait costs nothing, as it
// runs on the timer and the clipboard's reports.
constexpr std::uint32_t kBusyWaitMs = 5000;
// Between two tries at a busy clipboard.
constexpr std::uint32_t kRetryMs = 20;
// Windows puts its picture on the clipboard as it handles the key, and the
// two reports carry times of a clock that ticks every 10 to 16 ms; tools
// that stand in for Print Screen (automation, a remote session's client)
// put the picture before they send the key, and a clipboard manager may
// hold the clipboard in between. A picture put up to this long before the
// press still counts as the press's; one copied seconds before never does.
constexpr std::uint32_t kPressSlackMs = 1000;
// How long a press waits for the snip the Snipping Tool makes of it.
constexpr std::uint32_t kSnipWaitMs = 60000;
// The key poll where Windows gives no raw input: as fast as the timer goes.
constexpr std::uint32_t kKeyPollMs = 1;
// How long a capture's memory is kept for the next press of a burst.
constexpr std::uint32_t kLingerMs = 10000;

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

// Why a capture was not saved, in the user's words.
std::u16string Reason(const plat::Error& e, const std::u16string& file) {
  if (e.number() == plat::kErrClipboardBusy) return u"The clipboard is in use by another program.";
  if (e.number() == plat::kErrOutOfMemory) return u"There is not enough memory for the picture.";
  if (e.number() == plat::kErrInvalidPicture) {
    std::u16string words = u"The picture on the clipboard could not be read.";
    if (e.lastDllError() != 0)
      words += u" " + plat::SystemErrorText(e.lastDllError()) + u" (error " +
               plat::FromUtf8(std::to_string(e.lastDllError())) + u")";
    return words;
  }
  switch (e.lastDllError()) {
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
    case 0: return u"The picture could not be encoded (" + e.description() + u").";
    default: return plat::SystemErrorText(e.lastDllError());
  }
}

// Whether a Print Screen event is Alt+Print Screen, told by the key itself:
// with Alt held the keyboard sends SysRq's scan code (54, no prefix), and
// without it E0 37. Alt's own events are not followed: a release Varnel
// never hears (on the secure desktop after Ctrl+Alt+Del, over an elevated
// window) would leave every later press taken for Alt+Print Screen. A key
// sent by a program carries no scan code and counts as plain Print Screen.
bool WithAlt(const plat::RawKey& key) { return key.makeCode == plat::kScanSysRq && (key.flags & plat::kRiKeyE0) == 0; }

}  // namespace

Capture::Capture(const Settings& settings, Host host)
    : settings_(settings),
      host_(std::move(host)),
      // What is on the clipboard now was there before Varnel: not a capture.
      clipboard_(plat::GetClipboardSequenceNumber()),
      lastSequence_(plat::GetClipboardSequenceNumber()) {}

void Capture::Watch(bool keyboard, bool clipboard) {
  keyboardWatched_ = keyboard;
  clipboardWatched_ = clipboard;
  if (!keyboardWatched_) host_.startTimer(kKeyPollMs);
}

void Capture::RawKey(const plat::RawKey& key) {
  if (key.vk != plat::kVkSnapshot) return;
  if (key.down) {
    // The keyboard repeats a held key: only the first counts.
    if (!keyWasDown_) Pressed(key.time, WithAlt(key));
  } else if (keyWasDown_) {
    Released();
  }
}

void Capture::ClipboardUpdate(std::uint32_t time) {
  clipboard_.Changed(plat::GetClipboardSequenceNumber(), time);
  if (pending_) Continue();
}

void Capture::Tick() {
  if (!keyboardWatched_) PollKey();
  if (pending_) {
    Continue();
  } else if (holding_ && Passed(plat::GetTickCount(), heldSince_, kLingerMs)) {
    ReleaseMemory();
    UpdateTimer();
  }
}

void Capture::ReleaseMemory() {
  buffer_->ClearUp();
  ReleaseEncoderMemory();
  holding_ = false;
}

void Capture::PollKey() {
  // Any bit set counts as down: held now, or pressed since the last query.
  if (plat::GetAsyncKeyState(plat::kVkSnapshot) != 0) {
    if (!keyWasDown_) Pressed(plat::GetTickCount(), plat::GetAsyncKeyState(plat::kVkMenu) < 0);
  } else if (keyWasDown_) {
    Released();
  }
}

void Capture::Pressed(std::uint32_t time, bool alt) {
  keyWasDown_ = true;
  // Without the clipboard's reports, a press takes what is newer than the
  // last picture saved.
  press_.baseline = clipboardWatched_ ? clipboard_.Before(time - kPressSlackMs) : lastSequence_;
  // Alt+Print Screen copies the window at once, whatever the setting.
  press_.snip = false;
  if (!alt) plat::Attempt([&] { press_.snip = PrintScreenOpensSnipping(); });
  // Where the pointer is now, not at the release: the user may have moved
  // it in between. A window (Alt) and a snip are never cut.
  press_.cut.reset();
  if (settings_.ScreenUnderPointer && !alt && !press_.snip) plat::Attempt([&] { press_.cut = MonitorUnderPointer(); });
  // A snip still awaited is given up: this press starts a capture of its own.
  if (pending_ && pending_->snip) {
    pending_.reset();
    UpdateTimer();
  }
  if (press_.snip) host_.report({Report::Kind::SnipAwaited, {}, {}});
  // The first press after the memory went back: the buffer is made again
  // now, at the last picture's size, and its fresh pages are written
  // while the key is still down, so that the picture finds them ready at
  // the release (a picture of another size makes its own).
  if (!holding_ && !press_.snip && lastWidth_ > 0) {
    plat::Attempt([&] {
      if (buffer_->Create(lastWidth_, lastHeight_))
        std::memset(buffer_->DIBSectionBitsPtr(), 0,
                    static_cast<std::size_t>(buffer_->BytesPerScanLine()) * static_cast<std::size_t>(lastHeight_));
    });
    // Given back like a capture's, should no capture follow.
    holding_ = true;
    heldSince_ = plat::GetTickCount();
    if (!pending_) UpdateTimer();
  }
}

void Capture::Released() {
  keyWasDown_ = false;
  if (pending_)
    releaseWaiting_ = press_;
  else
    Begin(press_);
}

void Capture::Begin(const Press& press) {
  const std::uint32_t now = plat::GetTickCount();
  // The folder is looked at, never entered: the user can still rename,
  // delete or eject it while Varnel runs. For a snip it is looked at when
  // the snip comes: no message may open over the Snipping Tool's overlay.
  std::u16string folder;
  if (!press.snip) {
    plat::Attempt([&] { folder = ResolveCaptureFolder(settings_.CaptureFolder, plat::AppPath()); });
    if (!plat::FolderExists(folder)) {
      host_.report({Report::Kind::NoFolder, {}, {}});
      return;
    }
  }
  pending_ = Pending{folder, press.baseline, press.snip, now, now, 0, false, press.cut};
  // The picture is usually there already.
  Continue();
}

void Capture::Continue() {
  std::u16string file;
  std::optional<plat::Error> why;
  const Outcome outcome = Try(file, why);
  if (outcome == Outcome::Waiting) {
    UpdateTimer();
    return;
  }
  // The capture is over before anything is reported: what the report
  // brings (another press, a file handler's own message loop) finds no
  // capture pending.
  // A snip the user cancelled, or never made, is no one's fault: nothing is said.
  const bool silent = outcome == Outcome::NoNewPicture && pending_->snip;
  const std::uint32_t kept = std::exchange(keptNow_, 0);
  // The picture's size, before the capture waiting next takes the buffer.
  const std::int32_t width = outcome == Outcome::Saved ? savedWidth_ : 0;
  const std::int32_t height = outcome == Outcome::Saved ? savedHeight_ : 0;
  pending_.reset();
  holding_ = true;
  heldSince_ = plat::GetTickCount();
  if (const auto next = std::exchange(releaseWaiting_, std::nullopt))
    Begin(*next);
  else
    UpdateTimer();

  switch (outcome) {
    case Outcome::Saved: host_.report({Report::Kind::Saved, file, {}, width, height}); break;
    case Outcome::NoFolder: host_.report({Report::Kind::NoFolder, {}, {}}); break;
    case Outcome::NoNewPicture:
      if (!silent) host_.report({Report::Kind::NoNewPicture, {}, {}});
      break;
    case Outcome::Failed: host_.report({Report::Kind::Failed, file, Reason(*why, file), 0, 0, kept}); break;
    case Outcome::Waiting: break;
  }
}

Capture::Outcome Capture::Try(std::u16string& file, std::optional<plat::Error>& why) {
  Pending& c = *pending_;
  const std::uint32_t now = plat::GetTickCount();
  if (static_cast<std::int32_t>(now - c.nextTry) < 0) return Outcome::Waiting;

  // A picture counts when the clipboard changed after the press began, and
  // it is not the one saved last.
  const std::uint32_t sequence = plat::GetClipboardSequenceNumber();
  const bool newPicture =
      sequence != c.baseline && sequence != lastSequence_ && plat::IsClipboardFormatAvailable(plat::kCfBitmap);
  if (newPicture && c.snip && c.folder.empty()) {
    // The snip is here, and the overlay gone.
    plat::Attempt([&] { c.folder = ResolveCaptureFolder(settings_.CaptureFolder, plat::AppPath()); });
    if (!plat::FolderExists(c.folder)) return Outcome::NoFolder;
  }
  // The number as it is once the picture was read, which a picture
  // rendered on request has just changed: it is the one saved.
  std::uint32_t read = sequence;
  if (newPicture) why = plat::Attempt([&] { read = CopyClipboardPicture(*buffer_); });
  if (newPicture && !why) {
    lastWidth_ = buffer_->Width();
    lastHeight_ = buffer_->Height();
    why = plat::Attempt([&] { Save(file); });
    if (why) {
      keptNow_ = Keep(file);
      return Outcome::Failed;
    }
    lastSequence_ = read;
    lastFile_ = file;
    return Outcome::Saved;
  }
  if (!newPicture || why->number() == plat::kErrNoPicture) {
    // No new picture yet, or it went again before it could be taken.
    why.reset();
    return Passed(now, c.releasedAt, c.snip ? kSnipWaitMs : kWaitMs) ? Outcome::NoNewPicture : Outcome::Waiting;
  }
  if (why->number() == plat::kErrClipboardBusy && !(c.busy && Passed(now, c.busySince, kBusyWaitMs))) {
    if (!c.busy) c.busySince = now;
    c.busy = true;
    c.nextTry = now + kRetryMs;
    return Outcome::Waiting;
  }
  // The clipboard stayed busy, or its picture could not be copied.
  const std::u16string stamp = plat::FormatDateTime(plat::Now(), u"YYYY-MM-DD-HH-NN-SS");
  file = c.folder + u"\\" + stamp + FormatOf(settings_.CaptureFormat).extension;
  return Outcome::Failed;
}

void Capture::UpdateTimer() {
  // The fallback's key poll keeps its own timer running.
  if (!keyboardWatched_) return;
  const std::uint32_t now = plat::GetTickCount();
  if (!pending_) {
    // Once, when the memory of the last capture is to go; then no timer.
    if (holding_)
      host_.startTimer(std::max<std::uint32_t>(1, kLingerMs - std::min(kLingerMs, now - heldSince_)));
    else
      host_.stopTimer();
    return;
  }
  // The next try at a busy clipboard, or the end of the wait; a picture
  // that comes sooner is reported by the clipboard itself.
  const std::uint32_t due =
      pending_->busy ? pending_->nextTry : pending_->releasedAt + (pending_->snip ? kSnipWaitMs : kWaitMs);
  const auto left = static_cast<std::int32_t>(due - now);
  host_.startTimer(left > 0 ? static_cast<std::uint32_t>(left) : 1);
}

void Capture::Save(std::u16string& file) {
  // Named after the time of saving, in the format's own encoding, and
  // written whole or not at all. A picture not saved stays on the
  // clipboard, where the user can still paste it; the next press, once the
  // cause is gone, brings a picture of its own.
  const FileFormat& format = FormatOf(settings_.CaptureFormat);
  const std::u16string stamp = plat::FormatDateTime(plat::Now(), u"YYYY-MM-DD-HH-NN-SS");
  file = pending_->folder + u"\\" + stamp + format.extension;  // for the report, should the next step fail
  file = FreeName(pending_->folder + u"\\" + stamp, format.extension) + format.extension;
  const ImageView picture = Cut(buffer_->View(), pending_->cut);
  const EncodedFile encoded = format.encode(picture);
  plat::WriteWholeFile(file, encoded.pieces);
  savedWidth_ = picture.width;
  savedHeight_ = picture.height;
}

std::uint32_t Capture::Keep(const std::u16string& file) {
  if (kept_.size() >= kMaxKept) return 0;
  const std::uint32_t id = nextKept_++;
  kept_.push_back({id, file, &FormatOf(settings_.CaptureFormat), std::exchange(buffer_, nullptr), pending_->cut});
  // The next capture's buffer, made at its own picture's size.
  buffer_ = std::make_unique<cDIBSection>();
  return id;
}

namespace {
template <class List>
auto FindKept(List& kept, std::uint32_t id) {
  return std::find_if(kept.begin(), kept.end(), [id](const auto& k) { return k.id == id; });
}
}  // namespace

const std::u16string* Capture::KeptFile(std::uint32_t id) const {
  const auto k = FindKept(kept_, id);
  return k == kept_.end() ? nullptr : &k->file;
}

const FileFormat* Capture::KeptFormat(std::uint32_t id) const {
  const auto k = FindKept(kept_, id);
  return k == kept_.end() ? nullptr : k->format;
}

std::optional<std::u16string> Capture::SaveKept(std::uint32_t id, const std::u16string& file,
                                                const FileFormat& format) {
  const auto k = FindKept(kept_, id);
  if (k == kept_.end()) return u"The picture is no longer kept.";
  if (const auto why = plat::Attempt([&] {
        const EncodedFile encoded = format.encode(Cut(k->picture->View(), k->cut));
        plat::WriteWholeFile(file, encoded.pieces);
      }))
    return Reason(*why, file);
  const ImageView saved = Cut(k->picture->View(), k->cut);
  const std::int32_t width = saved.width, height = saved.height;
  kept_.erase(k);
  // The encoder's memory goes back with the capture's, after a while.
  holding_ = true;
  heldSince_ = plat::GetTickCount();
  if (!pending_) UpdateTimer();
  lastFile_ = file;
  host_.report({Report::Kind::Saved, file, {}, width, height});
  return std::nullopt;
}

void Capture::GiveUp(std::uint32_t id) {
  const auto k = FindKept(kept_, id);
  if (k != kept_.end()) kept_.erase(k);
}

void Capture::GiveUpAll() { kept_.clear(); }

std::u16string Capture::LastFolder() const { return lastFile_.empty() ? std::u16string() : FolderOf(lastFile_); }

}  // namespace varnel
