// The one window, Main, and the settings it carries for the whole run.
// Loading it is the program's start and unloading it the program's end.
// Its handlers are spread over the files of their concern: the life cycle
// here, the dialog in ui/settings_window.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/format_code.h"
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

  // The settings file read at start (see settings_file.h), and the
  // start-up command.
  const std::u16string& SettingsFile() const { return settingsFile_; }
  std::u16string StartupCommand() const;

 private:
  void Capture();
  void CopyControlsToSettings();
  void CopySettingsToControls();
  void EnableApply() { ApplyButton.SetEnabled(true); }
  std::u16string DefaultFolder() const;

  std::u16string settingsFile_;

  // Set while the folder message is open: the ticks its modal loop keeps
  // delivering must not start a second capture or a second message.
  bool folderMessageOpen_ = false;
};

}  // namespace varnel
