// The one window, Main, and the settings it carries for the whole run.
// Loading it is the program's start and unloading it the program's end.
// Its handlers are spread over the files of their concern: the life cycle
// in main_form.cpp, the capture's reports in capture_reports.cpp (the
// capture itself is its own object, capture.h), saving a failed capture's
// picture elsewhere in save_as.cpp, the dialog in ui/settings_window.cpp,
// the notification-area icon's menu and keys in tray_menu.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/capture.h"
#include "app/format_code.h"
#include "app/message_queue.h"
#include "app/settings.h"
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
  plat::CheckBox& SetNotice = form_.Get<plat::CheckBox>(u"SetNotice");
  plat::CheckBox& SetScreen = form_.Get<plat::CheckBox>(u"SetScreen");
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
  // Ends Varnel as the user asks from the notification-area icon; where
  // pictures of captures that could not be saved are kept, the user is
  // asked first, and may keep Varnel running.
  void ExitFromIcon();
  void TrayIcon_KeySelect();
  void TrayIcon_ContextMenu(plat::Point anchor, bool fromKeyboard);

  // The icon's menu: its commands, each one id, and what they do.
  enum MenuCommand : std::uint32_t {
    kMenuSettings = 1,
    kMenuOpenFolder,
    kMenuOpenLast,
    kMenuCopyPath,
    kMenuExit,
  };
  void MenuCommand_Run(std::uint32_t command);
  // The file saved last in this run, empty before the first.
  const std::u16string& LastCapture() const { return capture_.LastFile(); }
  // The icon's tip for the settings in force.
  std::u16string TrayTip() const;

  // The settings file read at start (see settings_file.h), the
  // executable's full path and the start-up command that starts it.
  const std::u16string& SettingsFile() const { return settingsFile_; }
  std::u16string ExeFile() const;
  std::u16string StartupCommand() const;

  // The capture, fed Windows' reports by the handlers above.
  Capture& capture() { return capture_; }
  // Print Screen went down and its release is still to come.
  bool KeyWasDown() const { return capture_.KeyWasDown(); }

 private:
  // What a capture came to, told to the user.
  void Capture_Report(const Capture::Report& report);
  void ShowMessage(const std::u16string& prompt, const std::u16string& title, bool showWindow) {
    messages_.Show(prompt, title, showWindow);
  }
  // The message of a capture not written as `file`, and why.
  static std::u16string NotSavedPrompt(const std::u16string& file, const std::u16string& reason) {
    return u"The capture could not be saved as\r\n" + file + u"\r\n\r\n" + reason;
  }
  // A failed capture's message with its picture kept: Save as... and
  // Close (save_as.cpp).
  void OfferSaveAs(const std::u16string& prompt, std::uint32_t kept);
  // The save dialog for a kept picture, again after each failure; true once
  // it is saved, false when the user cancelled.
  bool SaveKeptAs(std::uint32_t kept, plat::Hwnd owner);
  // The dialog: the controls as a new Settings value, and a value shown
  // in the controls; the format's option buttons, each way.
  void CopyControlsToSettings();
  void CopySettingsToControls();
  FormatCode SelectedFormat();
  void SelectFormat(const FormatCode& format);
  void EnableApply() { ApplyButton.SetEnabled(true); }
  // Opens the capture folder `folder` (as typed or in force), or says that
  // it does not exist; opens a capture's file.
  void OpenCaptureFolder(const std::u16string& folder);
  void OpenCapture(const std::u16string& file);
  void ShowCaptureNotice(const Capture::Report& report);
  // The tip for the settings in force, handed to the icon.
  void RefreshTip();

  std::u16string settingsFile_;
  MessageQueue messages_{form_};
  Capture capture_;
  // Told once a run: the Snipping Tool has the key, and a press that
  // brought no new picture.
  bool snipNoticeShown_ = false;
  bool noPictureNoticeShown_ = false;
  // What a click on the icon's balloon opens: the last one shown's.
  enum class Balloon { None, SnipNotice, CaptureNotice } balloon_ = Balloon::None;
  std::u16string balloonFile_;
};

}  // namespace varnel
