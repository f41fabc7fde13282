// The capture: a press of Print Screen, the wait for its picture, and its
// file. It takes Windows' reports (a raw key, a change of the clipboard, a
// tick of the timer it asked for) and the settings in force, and reports
// what came of each press to whoever tells the user. It knows no window:
// its timer and its reports go through the Host it is given.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "app/clipboard_history.h"
#include "app/file_formats.h"
#include "app/screen_cut.h"
#include "app/settings.h"
#include "imaging/dib_section.h"
#include "platform/error.h"
#include "platform/toolkit.h"

namespace varnel {

class Capture {
 public:
  // What a press came to.
  struct Report {
    enum class Kind {
      Saved,         // file: the file written
      Failed,        // file: the file not written; reason: why, in the user's words
      NoFolder,      // the capture folder does not exist: nothing was saved
      NoNewPicture,  // the press put no new picture on the clipboard (a snip given up is not reported)
      SnipAwaited,   // the Snipping Tool has the key: the snip the user makes is waited for
    };
    Kind kind;
    std::u16string file, reason;
    std::int32_t width = 0, height = 0;  // Saved: the picture's size in pixels
    // Failed: the picture kept for the user to save elsewhere (see
    // SaveKept), 0 when none was kept.
    std::uint32_t kept = 0;
  };

  // How many pictures of failed captures are kept at most: a capture that
  // fails beyond them is reported without one.
  static constexpr std::size_t kMaxKept = 3;

  // What the capture needs from around it: a timer (a new interval
  // replaces the running one) and someone to hear its reports. A report
  // comes once the capture it tells of is over: what the listener does then
  // (a message box with its own message loop, opening the file) may bring
  // the next press.
  struct Host {
    std::function<void(std::uint32_t ms)> startTimer;
    std::function<void()> stopTimer;
    std::function<void(const Report&)> report;
  };

  // `settings` are those in force, read at each press; they outlive the capture.
  Capture(const Settings& settings, Host host);
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  // What Windows agreed to tell: without raw input the key is polled on
  // the timer, and without the clipboard's reports a press takes any
  // picture newer than the last one saved.
  void Watch(bool keyboard, bool clipboard);

  // Windows' reports.
  void RawKey(const plat::RawKey& key);
  void ClipboardUpdate(std::uint32_t time);
  void Tick();

  // Print Screen went down and its release is still to come.
  bool KeyWasDown() const { return keyWasDown_; }
  // The file saved last in this run (by a capture or by Save as), empty
  // before the first.
  const std::u16string& LastFile() const { return lastFile_; }

  // The pictures of captures that were read but could not be written.
  // Each is the capture's own (the clipboard may change meanwhile) until
  // it is saved or given up, which gives its memory back.
  std::size_t KeptCount() const { return kept_.size(); }
  // The file the kept picture was to be written as, and its format; null
  // for a picture no longer kept.
  const std::u16string* KeptFile(std::uint32_t id) const;
  const FileFormat* KeptFormat(std::uint32_t id) const;
  // Writes the kept picture as `file` in `format`, whole or not at all,
  // gives it up and reports it saved. A failure returns why, in the user's
  // words, and the picture stays kept.
  std::optional<std::u16string> SaveKept(std::uint32_t id, const std::u16string& file, const FileFormat& format);
  void GiveUp(std::uint32_t id);
  void GiveUpAll();
  // The folder of the last capture saved, empty before the first.
  std::u16string LastFolder() const;

 private:
  // A capture between the release of Print Screen and its file: the
  // picture may not be on the clipboard yet, or another program may hold
  // the clipboard, so it is looked for again when the clipboard changes
  // and on the timer's ticks, until the wait is over.
  struct Pending {
    std::u16string folder;        // checked at the release (a snip's when it comes)
    std::uint32_t baseline;       // the clipboard's sequence number just before the press
    bool snip;                    // the Snipping Tool has the key: its snip is waited for
    std::uint32_t releasedAt;     // GetTickCount()
    std::uint32_t nextTry;        // not before this
    std::uint32_t busySince = 0;  // the first try that found the clipboard open elsewhere
    bool busy = false;
    std::optional<ScreenCut> cut;  // the monitor the file shows, when only one
  };
  // A press, as the capture after its release needs it.
  struct Press {
    std::uint32_t baseline;
    bool snip;
    // A plain Print Screen with only the screen under the pointer wanted:
    // that monitor, read at the key-down.
    std::optional<ScreenCut> cut;
  };
  // What one look at the clipboard gave.
  enum class Outcome { Waiting, Saved, NoNewPicture, NoFolder, Failed };

  void PollKey();
  void Pressed(std::uint32_t time, bool alt);
  void Released();
  void Begin(const Press& press);
  void Continue();
  // A failed one leaves its error in `why`.
  Outcome Try(std::u16string& file, std::optional<plat::Error>& why);
  void UpdateTimer();
  // Gives back the memory the last captures took.
  void ReleaseMemory();
  // Writes the buffer as this capture's file, named in `file` (also when
  // it fails, which raises).
  void Save(std::u16string& file);
  // Keeps the buffer's picture of a capture that could not be written as
  // `file`: the buffer itself is handed over, not copied. Returns its id,
  // 0 when kMaxKept pictures are kept already.
  std::uint32_t Keep(const std::u16string& file);

  const Settings& settings_;
  Host host_;
  bool keyboardWatched_ = false;
  bool clipboardWatched_ = false;
  ClipboardHistory clipboard_;
  // The press being held: Print Screen went down, its release is still to come.
  bool keyWasDown_ = false;
  Press press_{};
  std::optional<Pending> pending_;
  // A release seen while a capture was still pending: captured after it.
  std::optional<Press> releaseWaiting_;
  // The clipboard's sequence number of the last picture saved (at first,
  // of the clipboard as it was at the start): a picture is never saved twice.
  std::uint32_t lastSequence_ = 0;
  // The buffer each capture's pixels go to. It is kept, with the encoders'
  // memory, for a while after a capture, so that a burst of captures of
  // one size (the whole screen, again) reuses it instead of having fresh
  // pages handed out and zeroed; then it is given back.
  std::unique_ptr<cDIBSection> buffer_ = std::make_unique<cDIBSection>();
  bool holding_ = false;         // memory is kept from the last capture
  std::uint32_t heldSince_ = 0;  // GetTickCount() at the end of that capture
  // The size of the last picture read, for the buffer made again at the
  // next press once its memory went back (0: none yet).
  std::int32_t lastWidth_ = 0, lastHeight_ = 0;
  std::u16string lastFile_;
  // The size of the picture the last file was written from.
  std::int32_t savedWidth_ = 0, savedHeight_ = 0;
  struct Kept {
    std::uint32_t id;
    std::u16string file;
    const FileFormat* format;
    std::unique_ptr<cDIBSection> picture;
    std::optional<ScreenCut> cut;
  };
  std::list<Kept> kept_;
  std::uint32_t nextKept_ = 1;
  std::uint32_t keptNow_ = 0;  // the picture kept by the capture just over
};

}  // namespace varnel
