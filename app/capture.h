// The capture: a press of Print Screen, the wait for its picture, and its
// file. It takes Windows' reports (a raw key, a change of the clipboard, a
// tick of the timer it asked for) and the settings in force, and reports
// what came of each press to whoever tells the user. It knows no window:
// its timer and its reports go through the Host it is given.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/clipboard_history.h"
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
  };

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
  };
  // A press, as the capture after its release needs it.
  struct Press {
    std::uint32_t baseline;
    bool snip;
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
  // Writes the buffer as this capture's file, named in `file` (also when
  // it fails, which raises).
  void Save(std::u16string& file);

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
  // The buffer each capture's pixels go to, kept for the run: a capture of
  // the same size as the last (the whole screen, again) reuses its memory
  // instead of having fresh pages handed out and zeroed.
  cDIBSection buffer_;
};

}  // namespace varnel
