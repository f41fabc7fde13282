// Start and end of the program: the settings file and the start-up entry
// are read when the window loads and written when it unloads.
#include "app/main_form.h"

#include <vector>

#include "app/file_formats.h"
#include "app/settings_file.h"
#include "app/startup_entry.h"
#include "app/ui/main_design.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/error.h"
#include "platform/files.h"

namespace varnel {

namespace {

// Room for the longest path Windows takes (the long-path form's limit): a
// capture folder the user could type and use is read back whole.
constexpr std::uint32_t kPathBuffer = 32768;
// The key poll where Windows gives no raw input: as fast as the timer goes.
constexpr std::uint32_t kKeyPollMs = 1;

}  // namespace

Main::Main()
    : form_(MainDesign()),
      SetRunOnStartUp(form_[u"SetRunOnStartUp"]),
      SetFolder(form_[u"SetFolder"]),
      JPGOption(form_[u"JPGOption"]),
      BMPOption(form_[u"BMPOption"]),
      PNGOption(form_[u"PNGOption"]),
      SetAutoOpen(form_[u"SetAutoOpen"]),
      OKButton(form_[u"OKButton"]),
      CancelButton(form_[u"CancelButton"]),
      ApplyButton(form_[u"ApplyButton"]),
      Browse(form_[u"Browse"]),
      OpenFolder(form_[u"OpenFolder"]) {
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
  form_.OnRawKey = [this](int vk, bool down, std::uint32_t time) { Form_RawKey(vk, down, time); };
  form_.OnClipboardUpdate = [this](std::uint32_t time) { Form_ClipboardUpdate(time); };
  form_.OnTaskbarCreated = [this] { Form_TaskbarCreated(); };
  form_.OnOtherInstance = [this] { Form_OtherInstance(); };
  // What is on the clipboard now was there before Varnel: not a capture.
  lastSequence_ = plat::GetClipboardSequenceNumber();
  clipboard_ = ClipboardHistory(lastSequence_);
  SetRunOnStartUp.Click = [this] { EnableApply(); };
  SetAutoOpen.Click = [this] { EnableApply(); };
  for (const FileFormat& f : FileFormats()) form_[f.control].Click = [this] { EnableApply(); };
  SetFolder.Change = [this] { EnableApply(); };
}

Main::~Main() = default;

std::u16string Main::ExeFile() const { return plat::AppPath() + u"\\" + plat::AppExeName() + u".exe"; }

std::u16string Main::StartupCommand() const { return u"\"" + ExeFile() + u"\""; }

std::u16string Main::DefaultFolder() const {
  // Where the shell keeps the desktop: moved to OneDrive, say, or by a
  // policy, it is not the profile's Desktop folder, which often stays
  // behind unseen.
  std::vector<char16_t> desktop(plat::kMaxPath, u'\0');
  if (plat::SHGetFolderPathW({}, plat::kCsidlDesktopDirectory, 0, plat::kShgfpTypeCurrent, desktop.data()) == 0) {
    desktop.back() = u'\0';
    if (desktop[0] != u'\0') return std::u16string(desktop.data());
  }
  return plat::Environ(u"userprofile") + u"\\Desktop";
}

void Main::Form_Load() {
  using plat::Step;

  // 0. What Windows is to tell: Print Screen, and the clipboard's changes,
  // asked for first, so that no press is missed while the rest loads (the
  // notification area may keep the icon waiting). Without the first, the
  // key is polled on the timer.
  Step([&] { clipboardWatched_ = form_.WatchClipboard(); });
  Step([&] { keyboardWatched_ = form_.WatchKeyboard(); });
  if (!keyboardWatched_) Step([&] { form_.StartTimer(kKeyPollMs); });

  // 1. The start-up entry.
  Step([&] {
    if (StartupEntryPresent(ExeFile())) {
      RunOnStartUp = true;
      SetRunOnStartUp.SetValue(1);
    }
  });

  // 2. The settings file's length; a missing file counts as empty.
  settingsFile_ = ExeSettingsFile();
  Step([&] { settingsFile_ = SettingsFileToRead(); });
  std::int64_t length = 0;
  Step([&] { length = plat::FileLen(settingsFile_); });

  if (length == 0) {
    // 3. First run: defaults, and the window shown.
    Step([&] {
      RunOnStartUp = true;
      SetRunOnStartUp.SetValue(1);
    });
    Step([&] { CaptureFolder = DefaultFolder(); });
    Step([&] { CaptureFormat = u"JPG"; });
    Step([&] { SetFolder.SetText(CaptureFolder); });
    Step([&] { ApplyButton.SetEnabled(false); });
    Step([&] { form_.Show(); });
  } else {
    // 4. Settings from the file, in whichever form it was saved; the
    // window stays hidden.
    const SettingsReader settings(settingsFile_);
    Step([&] {
      const std::u16string def = DefaultFolder();
      std::vector<char16_t> buffer(kPathBuffer, u' ');
      settings.GetString(u"path", def.c_str(), buffer.data(), kPathBuffer);
      std::u16string_view text(buffer.data(), buffer.size());
      CaptureFolder = text.substr(0, text.find(u'\0'));
    });
    Step([&] { SetFolder.SetText(CaptureFolder); });
    Step([&] {
      // The buffer starts as the code's own three characters; whatever the
      // call leaves in them becomes the code.
      std::u16string buffer = CaptureFormat.str();
      buffer.resize(4, u'\0');
      settings.GetString(u"format", u"JPG", buffer.data(), 4);
      CaptureFormat = std::u16string_view(buffer.data(), 3);
    });
    Step([&] { CaptureFormat.ToUpper(); });
    Step([&] {
      // The first option is selected in the design.
      if (&FormatOf(CaptureFormat) != &FileFormats().front()) SelectFormat(CaptureFormat);
    });
    Step([&] {
      if (settings.GetInt(u"open", 0) != 0) {
        AutoOpen = true;
        SetAutoOpen.SetValue(1);
      }
    });
    Step([&] { ApplyButton.SetEnabled(false); });
  }

  // 5. The notification-area icon.
  Step([&] {
    TrayIcon = std::make_unique<varnel::TrayIcon>();
    TrayIcon->MouseDblClick = [this](std::int16_t button) { TrayIcon_MouseDblClick(button); };
    TrayIcon->BalloonClick = [this] { TrayIcon_BalloonClick(); };
    TrayIcon->SetOwnerForm(&form_);
    TrayIcon->SetIcon(form_.Icon());
    TrayIcon->SetTooltip(u"Varnel");
    TrayIcon->Add();
  });
}

void Main::Form_Unload(std::int16_t& /*cancel: an unload is never refused*/) {
  // Nothing is said here when this fails: the end may be Windows ending the
  // session, which a message would hold up. The box says at the next start
  // what Windows will do; an untick this user may not carry out was told
  // at OK or Apply.
  if (RunOnStartUp)
    WriteStartupEntry(ExeFile(), StartupCommand());
  else
    DeleteStartupEntry(ExeFile());

  SaveSettings(settingsFile_,
               {{u"path", CaptureFolder}, {u"format", CaptureFormat.str()}, {u"open", AutoOpen ? u"1" : u"0"}});

  if (TrayIcon) TrayIcon->Remove();
}

void Main::Form_TaskbarCreated() {
  // The shell restarted and forgot the icon; without it the program could
  // not be ended.
  if (TrayIcon && TrayIcon->State() != 0) TrayIcon->Add();
}

void Main::Form_OtherInstance() { form_.Show(); }

}  // namespace varnel
