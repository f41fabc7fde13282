// The one window, Main, and the settings it carries for the whole run.
// Loading it is the program's start and unloading it the program's end.
// Its handlers are spread over the files of their concern: the life cycle
// in main_form.cpp, the capture in capture.cpp, the dialog in
// ui/settings_window.cpp.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "app/clipboard_history.h"
#include "app/format_code.h"
#include "app/settings.h"
#include "imaging/dib_section.h"
#include "platform/error.h"
#include "platform/toolkit.h"
#include "shell/tray_icon.h"

namespace varnel {

class Main {
 private:
  plat::Form form_;  // first: the control references below point into it

 public:
  Main();
  ~Main();
  Main(const Main&) = delete;
  Main& operator=(const Main&) = delete;

  plat::Form& Form() { return form_; }

  // The settings in force: read at load, replaced by OK and Apply, written
  // at unload.
  Settings settings;

  std::unique_ptr<varnel::TrayIcon> TrayIcon;

  // Controls, each found once in the design by its name and kind.
  plat::CheckBox& SetRunOnStartUp = form_.Get<plat::CheckBox>(u"SetRunOnStartUp");
  plat::TextBox& SetFolder = form_.Get<plat::TextBox>(u"SetFolder");
  plat::OptionButton& JPGOption = form_.Get<plat::OptionButton>(u"JPGOption");
  plat::OptionButton& BMPOption = form_.Get<plat::OptionButton>(u"BMPOption");
  plat::OptionButton& PNGOption = form_.Get<plat::OptionButton>(u"PNGOption");
  plat::CheckBox& SetAutoOpen = form_.Get<plat::CheckBox>(u"SetAutoOpen");
  plat::Button& OKButton = form_.Get<plat::Button>(u"OKButton");
  plat::Button& CancelButton = form_.Get<plat::Button>(u"CancelButton");
  plat::Button& ApplyButton = form_.Get<plat::Button>(u"ApplyButton");
  plat::Button& Browse = form_.Get<plat::Button>(u"Browse");
  plat::Button& OpenFolder = form_.Get<plat::Button>(u"OpenFolder");

  // Life cycle.
  void Form_Load();
  void Form_Unload(std::int16_t& cancel);
  void Form_TaskbarCreated();
  void Form_OtherInstance();

  // Capture.
  void Timer_Timer();
  void Form_RawKey(const plat::RawKey& key);
  void Form_ClipboardUpdate(std::uint32_t time);

  // Dialog.
  void OKButton_Click();
  void ApplyButton_Click();
  void CancelButton_Click();
  void Browse_Click();
  void OpenFolder_Click();
  void Form_KeyUp(int KeyCode, int Shift);
  void TrayIcon_MouseDblClick(std::int16_t Button);
  void TrayIcon_BalloonClick();

  // The settings file read at start (see settings_file.h), the
  // executable's full path and the start-up command that starts it.
  const std::u16string& SettingsFile() const { return settingsFile_; }
  std::u16string ExeFile() const;
  std::u16string StartupCommand() const;

  // Print Screen went down and its release is still to come.
  bool PrintScreenHeld() const { return KeyWasDown; }

 private:
  // A capture between the release of Print Screen and its file: the
  // picture may not be on the clipboard yet, or another program may hold
  // the clipboard, so it is looked for again when the clipboard changes
  // and on the timer's ticks, until the wait is over.
  struct PendingCapture {
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
  void Pressed(std::uint32_t time, bool alt);
  void Released();
  void PollKey();
  void BeginCapture(const Press& press);
  void ContinueCapture();
  // A failed one leaves its error in `why`.
  Outcome TryCapture(std::u16string& file, std::optional<plat::Error>& why);
  void UpdateTimer();
  // Writes the buffer as this capture's file, named in `file` (also when
  // it fails, which raises).
  void SaveCapture(const cDIBSection& buffer, std::u16string& file);
  // Messages are shown one at a time, in order: one asked for while
  // another is open waits until that one is closed.
  void ShowMessage(const std::u16string& prompt, const std::u16string& title, bool showWindow);
  void ShowWaitingMessages();
  // The dialog: the controls as a new Settings value, and a value shown
  // in the controls; the format's option buttons, each way.
  void CopyControlsToSettings();
  void CopySettingsToControls();
  FormatCode SelectedFormat();
  void SelectFormat(const FormatCode& format);
  void EnableApply() { ApplyButton.SetEnabled(true); }

  std::u16string settingsFile_;

  // The capture's state.
  std::optional<PendingCapture> capture_;
  // The buffer each capture's pixels go to, kept for the run: a capture of
  // the same size as the last (the whole screen, again) reuses its memory
  // instead of having fresh pages handed out and zeroed.
  cDIBSection captureBuffer_;
  // Windows tells of Print Screen through raw input, and of the clipboard's
  // changes through its listener; where it refuses the first, the key is
  // polled on the timer instead, and without the second a press takes any
  // picture newer than the last one saved.
  bool keyboardWatched_ = false;
  bool clipboardWatched_ = false;
  ClipboardHistory clipboard_;
  // The press being held: Print Screen went down, its release is still to come.
  bool KeyWasDown = false;
  Press press_{};
  // A release seen while a capture was still pending: captured after it.
  std::optional<Press> releaseWaiting_;
  bool snipNoticeShown_ = false;
  // The clipboard's sequence number of the last picture saved (at first,
  // of the clipboard as it was at the start): a picture is never saved twice.
  std::uint32_t lastSequence_ = 0;
  bool noPictureNoticeShown_ = false;
  struct Message {
    std::u16string prompt, title;
    bool showWindow;
  };
  std::deque<Message> messages_;  // waiting to be shown
  bool messageOpen_ = false;      // a message is open now
};

}  // namespace varnel
