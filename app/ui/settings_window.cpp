// The window as a dialog: its controls hold a working copy of the
// settings; OK and Apply copy the controls into the settings, Cancel the
// settings back into the controls. The Apply button's enabled state is the
// only record of pending edits.
#include "app/main_form.h"

namespace varnel {

void Main::CopyControlsToSettings() {
  RunOnStartUp = SetRunOnStartUp.Value() == 1;
  CaptureFolder = SetFolder.Text();
  CaptureFormat = JPGOption.Value() != 0 ? u"JPG" : u"BMP";
  AutoOpen = SetAutoOpen.Value() == 1;
}

void Main::CopySettingsToControls() {
  SetRunOnStartUp.SetValue(RunOnStartUp ? 1 : 0);
  SetFolder.SetText(CaptureFolder);
  if (CaptureFormat.IsBitmap())
    BMPOption.SetValue(1);
  else
    JPGOption.SetValue(1);
  SetAutoOpen.SetValue(AutoOpen ? 1 : 0);
  // Last: setting the controls above enabled it again.
  ApplyButton.SetEnabled(false);
}

void Main::OKButton_Click() {
  CopyControlsToSettings();
  form_.Hide();
  ApplyButton.SetEnabled(false);
}

void Main::ApplyButton_Click() {
  CopyControlsToSettings();
  ApplyButton.SetEnabled(false);
}

void Main::CancelButton_Click() {
  form_.Hide();
  CopySettingsToControls();
}

void Main::TrayIcon_MouseDblClick(std::int16_t Button) {
  if (Button == 1)
    form_.Show();
  else if (Button == 2)
    form_.Unload();
}

}  // namespace varnel
