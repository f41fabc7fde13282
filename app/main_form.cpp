// Start and end of the program: the settings file and the start-up entry
// are read when the window loads and written when it unloads.
#include "app/main_form.h"

#include <utility>

#include "app/ui/main_design.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/error.h"

namespace varnel {

Main::Main()
    : form_(MainDesign()),
      capture_(settings, {[this](std::uint32_t ms) { form_.StartTimer(ms); }, [this] { form_.StopTimer(); },
                          [this](const Capture::Report& report) { Capture_Report(report); }}) {
  form_.OnLoad = [this] { Form_Load(); };
  form_.OnUnload = [this] {
    std::int16_t cancel = 0;
    Form_Unload(cancel);
  };
  OKButton.Click = [this] { OKButton_Click(); };
  ApplyButton.Click = [this] { ApplyButton_Click(); };
  CancelButton.Click = [this] { CancelButton_Click(); };
  Browse.Click = [this] { Browse_Click(); };
  OpenFolder.Click = [this] { OpenFolder_Click(); };
  form_.OnKeyUp = [this](int keyCode, int shift) { Form_KeyUp(keyCode, shift); };
  form_.OnTimer = [this] { Timer_Timer(); };
  form_.OnRawKey = [this](const plat::RawKey& key) { Form_RawKey(key); };
  form_.OnClipboardUpdate = [this](std::uint32_t time) { Form_ClipboardUpdate(time); };
  form_.OnTaskbarCreated = [this] { Form_TaskbarCreated(); };
  form_.OnOtherInstance = [this] { Form_OtherInstance(); };
  // Every edit of a setting's control, by the user or from code, enables
  // Apply: the window's check boxes, option buttons and text box are its
  // settings.
  for (const auto& control : form_.controls()) {
    switch (control->design().kind) {
      case plat::ControlKind::CheckBox:
      case plat::ControlKind::OptionButton: control->Click = [this] { EnableApply(); }; break;
      case plat::ControlKind::TextBox: control->Change = [this] { EnableApply(); }; break;
      case plat::ControlKind::Label:
      case plat::ControlKind::Button: break;
    }
  }
}

Main::~Main() = default;

std::u16string Main::ExeFile() const { return plat::AppPath() + u"\\" + plat::AppExeName() + u".exe"; }

std::u16string Main::StartupCommand() const {
  // Built by appending: GCC 12 at -O3 warns of an overlap that cannot
  // happen (-Wrestrict) in `u"\"" + ExeFile() + u"\""`.
  std::u16string command = u"\"";
  command += ExeFile();
  command += u'"';
  return command;
}

void Main::Form_Load() {
  using plat::Step;

  // 0. What Windows is to tell: Print Screen, and the clipboard's changes,
  // asked for first, so that no press is missed while the rest loads (the
  // notification area may keep the icon waiting). Without the first, the
  // key is polled on the timer.
  bool clipboardWatched = false, keyboardWatched = false;
  Step([&] { clipboardWatched = form_.WatchClipboard(); });
  Step([&] { keyboardWatched = form_.WatchKeyboard(); });
  Step([&] { capture_.Watch(keyboardWatched, clipboardWatched); });

  // 1.-4. The settings: the start-up entry, then the settings file or, on
  // a first run, the defaults. The controls show them, with Apply
  // disabled; only a first run shows the window.
  Settings::Loaded loaded = Settings::Load(ExeFile());
  settings = std::move(loaded.settings);
  settingsFile_ = std::move(loaded.file);
  Step([&] { CopySettingsToControls(); });
  if (loaded.firstRun) Step([&] { form_.Show(); });

  // 5. The notification-area icon.
  Step([&] {
    TrayIcon = std::make_unique<varnel::TrayIcon>();
    TrayIcon->MouseDblClick = [this](std::int16_t button) { TrayIcon_MouseDblClick(button); };
    TrayIcon->BalloonClick = [this] { TrayIcon_BalloonClick(); };
    TrayIcon->KeySelect = [this] { TrayIcon_KeySelect(); };
    TrayIcon->ContextMenu = [this](plat::Point anchor, bool fromKeyboard) {
      TrayIcon_ContextMenu(anchor, fromKeyboard);
    };
    TrayIcon->SetOwnerForm(&form_);
    TrayIcon->SetIcon(form_.SmallIcon());
    TrayIcon->SetTooltip(TrayTip());
    // A failed add, at sign-in before the notification area is ready, is
    // tried again by the icon itself.
    TrayIcon->Add();
  });
}

void Main::Form_Unload(std::int16_t& /*cancel: an unload is never refused*/) {
  // Nothing is said here when this fails: the end may be Windows ending the
  // session, which a message would hold up. The box says at the next start
  // what Windows will do; an untick this user may not carry out was told
  // at OK or Apply.
  settings.Save(settingsFile_, ExeFile(), StartupCommand());
  if (TrayIcon) TrayIcon->Remove();
  // Asked about at an exit from the icon; the end of the session is not
  // held up for them.
  capture_.GiveUpAll();
}

void Main::Form_TaskbarCreated() {
  // The shell restarted and forgot the icon; without it the program could
  // not be ended.
  if (TrayIcon && TrayIcon->State() != 0) TrayIcon->Add();
}

void Main::Form_OtherInstance() { form_.Show(); }

}  // namespace varnel
