// The one window, Main, and the settings it carries for the whole run.
// Loading it is the program's start and unloading it the program's end.
// Its handlers are spread over the files of their concern: the life cycle
// here, the dialog in ui/settings_window.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/format_code.h"
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

  // Settings, in their declared order.
  bool KeyWasDown = false;
  bool RunOnStartUp = false;
  std::u16string CaptureFolder;
  bool AutoOpen = false;
  FormatCode CaptureFormat;

  std::unique_ptr<varnel::TrayIcon> TrayIcon;

  // Controls.
  plat::Control& SetRunOnStartUp;
  plat::Control& SetFolder;
  plat::Control& JPGOption;
  plat::Control& BMPOption;
  plat::Control& SetAutoOpen;
  plat::Control& OKButton;
  plat::Control& CancelButton;
  plat::Control& ApplyButton;
  plat::Control& Browse;
  plat::Control& OpenFolder;

  // Life cycle.
  void Form_Load();
  void Form_Unload(std::int16_t& cancel);
  void Form_TaskbarCreated();
  void Form_OtherInstance();

  // Capture.
  void Timer_Timer();

  // Dialog.
  void OKButton_Click();
  void ApplyButton_Click();
  void CancelButton_Click();
  void Browse_Click();
  void OpenFolder_Click();
  void Form_KeyUp(int KeyCode, int Shift);
  void TrayIcon_MouseDblClick(std::int16_t Button);

  // The settings file read at start (see settings_file.h), the
  // executable's full path and the start-up command that starts it.
  const std::u16string& SettingsFile() const { return settingsFile_; }
  std::u16string ExeFile() const;
  std::u16string StartupCommand() const;

 private:
  // A capture between the release of Print Screen and its file: the
  // picture may not be on the clipboard yet, or another program may hold
  // the clipboard, so it is looked for again on the following ticks.
  struct PendingCapture {
    std::u16string folder;        // checked at the release
    std::uint32_t releasedAt;     // GetTickCount()
    std::uint32_t nextTry;        // not before this
    std::uint32_t busySince = 0;  // the first try that found the clipboard open elsewhere
    bool busy = false;
  };
  void BeginCapture();
  void ContinueCapture();
  void SaveCapture(cDIBSection& buffer, std::uint32_t sequence);
  void ReportUnsaved(const plat::ErrorState& why, const std::u16string& file);
  void ShowMessage(const std::u16string& prompt, const std::u16string& title, bool showWindow);
  void CopyControlsToSettings();
  void CopySettingsToControls();
  void EnableApply() { ApplyButton.SetEnabled(true); }
  std::u16string DefaultFolder() const;

  std::u16string settingsFile_;

  std::optional<PendingCapture> capture_;
  // The buffer each capture's pixels go to, kept for the run: a capture of
  // the same size as the last (the whole screen, again) reuses its memory
  // instead of having fresh pages handed out and zeroed.
  cDIBSection captureBuffer_;
  // A release seen while a capture was still pending: captured after it.
  bool releaseWaiting_ = false;
  // The clipboard's sequence number of the last picture saved (at first,
  // of the clipboard as it was at the start): a release counts only a
  // picture put there after it.
  std::uint32_t lastSequence_ = 0;
  bool noPictureNoticeShown_ = false;
  // Set while a message of the capture is open: the ticks its modal loop
  // keeps delivering must not start a second capture or a second message.
  bool messageOpen_ = false;
};

}  // namespace varnel
