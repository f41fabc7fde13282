// The window as a dialog: its controls hold a working copy of the
// settings; OK and Apply copy the controls into the settings, Cancel the
// settings back into the controls. The Apply button's enabled state is the
// only record of pending edits.
#include <utility>

#include "app/capture_folder.h"
#include "app/file_formats.h"
#include "app/main_form.h"
#include "app/snipping_setting.h"
#include "app/startup_entry.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/files.h"
#include "platform/toolkit.h"
#include "platform/types.h"
#include "shell/folder_browser.h"

namespace varnel {

namespace {

constexpr char16_t kStartupLocked[] =
    u"Varnel will still start when you sign in to Windows.\r\n\r\n"
    u"Its start-up entry is set for every user of this computer, and only an administrator may remove it.";
constexpr char16_t kNoPath[] =
    u"Windows gives no path for the folder you chose, so Varnel cannot save captures there.\r\n\r\n"
    u"Choose a folder on a drive, or type its path.";

}  // namespace

void Main::CopyControlsToSettings() {
  // A new value: what the window shows, and as it was for anything it
  // does not show.
  Settings edited = settings;
  edited.RunOnStartUp = SetRunOnStartUp.Checked();
  if (!edited.RunOnStartUp && StartupEntryLocked(ExeFile())) {
    // Said now, while the user is here, and the box ticked again: it shows
    // what Windows will do.
    ShowMessage(kStartupLocked, u"", false);
    SetRunOnStartUp.SetChecked(true);
    edited.RunOnStartUp = true;
  }
  edited.CaptureFolder = SetFolder.Text();
  edited.CaptureFormat = SelectedFormat();
  edited.AutoOpen = SetAutoOpen.Checked();
  edited.Notice = SetNotice.Checked();
  edited.ScreenUnderPointer = SetScreen.Checked();
  settings = std::move(edited);
}

void Main::CopySettingsToControls() {
  SetRunOnStartUp.SetChecked(settings.RunOnStartUp);
  SetFolder.SetText(settings.CaptureFolder);
  SelectFormat(settings.CaptureFormat);
  SetAutoOpen.SetChecked(settings.AutoOpen);
  SetNotice.SetChecked(settings.Notice);
  SetScreen.SetChecked(settings.ScreenUnderPointer);
  // Last: setting the controls above enabled it again.
  ApplyButton.SetEnabled(false);
}

// The format's option buttons, one for each row of the format table.
FormatCode Main::SelectedFormat() {
  for (const FileFormat& f : FileFormats())
    if (form_.Get<plat::OptionButton>(f.control).Selected()) return FormatCode(f.code);
  return FormatCode(FileFormats().front().code);
}

void Main::SelectFormat(const FormatCode& format) { form_.Get<plat::OptionButton>(FormatOf(format).control).Select(); }

void Main::OKButton_Click() {
  CopyControlsToSettings();
  RefreshTip();
  form_.Hide();
  ApplyButton.SetEnabled(false);
}

void Main::ApplyButton_Click() {
  CopyControlsToSettings();
  RefreshTip();
  ApplyButton.SetEnabled(false);
}

void Main::CancelButton_Click() {
  form_.Hide();
  CopySettingsToControls();
}

void Main::Browse_Click() {
  bool noPath = false;
  const std::u16string folder =
      BrowseForFolderPath(form_.hWnd(), u"Select a folder to save screenshots to . . .", &noPath);
  if (!folder.empty())
    SetFolder.SetText(folder);
  else if (noPath)
    ShowMessage(kNoPath, u"", false);
}

namespace {

plat::Handle ShellRun(plat::Hwnd owner, const char16_t* verb, const std::u16string& file) {
  return plat::ShellExecuteW(owner, verb, file.c_str(), u"", u"", plat::kSwShowNormal);
}

}  // namespace

void Main::OpenFolder_Click() { OpenCaptureFolder(SetFolder.Text()); }

void Main::OpenCaptureFolder(const std::u16string& text) {
  // The folder a capture would go to, and only if it exists: a text that
  // names a program file must never start that program. The closing
  // separator keeps the shell from trying "folder.exe" and the like beside it.
  std::u16string folder = ResolveCaptureFolder(text, plat::AppPath());
  if (!plat::FolderExists(folder)) {
    ShowMessage(u"Capture folder does not exist.", u"Error", false);
    return;
  }
  if (folder.back() != u'\\') folder += u'\\';
  // "explore" is the folders' own verb; "open" where a system lacks it.
  if (ShellRun(form_.hWnd(), u"explore", folder) <= 32) ShellRun(form_.hWnd(), u"open", folder);
}

void Main::Form_KeyUp(int KeyCode, int /*Shift: F1 works with any modifier*/) {
  if (KeyCode == plat::kVkF1) ShellRun(form_.hWnd(), u"open", plat::AppPath() + u"\\Readme.txt");
}

// A click on the balloon belongs to the one shown last. The one that tells
// of Windows 11's Print Screen opens the page where the user decides
// (Varnel never changes the setting itself); a capture's notice opens its file.
void Main::TrayIcon_BalloonClick() {
  switch (balloon_) {
    case Balloon::SnipNotice: ShellRun(form_.hWnd(), u"open", kSnippingSettingsPage); break;
    case Balloon::CaptureNotice: OpenCapture(balloonFile_); break;
    case Balloon::None: break;
  }
}

void Main::TrayIcon_MouseDblClick(std::int16_t Button) {
  if (Button == 1)
    form_.Show();
  else if (Button == 2)
    ExitFromIcon();
}

}  // namespace varnel
