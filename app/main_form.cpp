// Start and end of the program: the settings file and the start-up entry
// are read when the window loads and written when it unloads.
#include "app/main_form.h"

#include <vector>

#include "app/startup_entry.h"
#include "app/ui/main_design.h"
#include "platform/api.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr char kSection[] = "main";
constexpr std::uint32_t kPathBuffer = 255;

}  // namespace

Main::Main()
    : form_(MainDesign()),
      SetRunOnStartUp(form_[u"SetRunOnStartUp"]),
      SetFolder(form_[u"SetFolder"]),
      JPGOption(form_[u"JPGOption"]),
      BMPOption(form_[u"BMPOption"]),
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
  // What is on the clipboard now was there before Varnel: not a capture.
  lastSequence_ = plat::GetClipboardSequenceNumber();
  SetRunOnStartUp.Click = [this] { EnableApply(); };
  SetAutoOpen.Click = [this] { EnableApply(); };
  JPGOption.Click = [this] { EnableApply(); };
  BMPOption.Click = [this] { EnableApply(); };
  SetFolder.Change = [this] { EnableApply(); };
}

Main::~Main() = default;

std::u16string Main::SettingsFile() const { return plat::AppPath() + u"\\Varnel.ini"; }

std::u16string Main::StartupCommand() const {
  std::u16string command(1, u'"');
  command.append(plat::AppPath()).append(u"\\").append(plat::AppExeName()).append(u".exe\"");
  return command;
}

std::u16string Main::DefaultFolder() const { return plat::Environ(u"userprofile") + u"\\Desktop"; }

void Main::Form_Load() {
  using plat::Step;

  // 1. The start-up entry.
  Step([&] {
    if (StartupEntryPresent()) {
      RunOnStartUp = true;
      SetRunOnStartUp.SetValue(1);
    }
  });

  // 2. The settings file's length; a missing file counts as empty.
  std::int64_t length = 0;
  Step([&] { length = plat::FileLen(SettingsFile()); });

  const std::string file = plat::ToAnsi(SettingsFile());
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
    // 4. Settings from the file; the window stays hidden.
    Step([&] {
      const std::string def = plat::ToAnsi(DefaultFolder());
      std::vector<char> buffer(kPathBuffer, ' ');
      plat::GetPrivateProfileStringA(kSection, "path", def.c_str(), buffer.data(), kPathBuffer,
                                     file.c_str());
      std::string_view text(buffer.data(), buffer.size());
      CaptureFolder = plat::FromAnsi(text.substr(0, text.find('\0')));
    });
    Step([&] { SetFolder.SetText(CaptureFolder); });
    Step([&] {
      // The buffer starts as the code's own three characters; whatever the
      // call leaves in them becomes the code.
      std::string buffer = plat::ToAnsi(CaptureFormat.str());
      buffer.resize(4, '\0');
      plat::GetPrivateProfileStringA(kSection, "format", "JPG", buffer.data(), 4, file.c_str());
      CaptureFormat = plat::FromAnsi(std::string_view(buffer.data(), 3));
    });
    Step([&] { CaptureFormat.ToUpper(); });
    Step([&] {
      if (CaptureFormat.IsBitmap()) BMPOption.SetValue(1);
    });
    Step([&] {
      if (plat::GetPrivateProfileIntA(kSection, "open", 0, file.c_str()) != 0) {
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
    TrayIcon->SetOwnerForm(&form_);
    TrayIcon->SetIcon(form_.Icon());
    TrayIcon->SetTooltip(u"Varnel");
    TrayIcon->Add();
  });
}

void Main::Form_Unload(std::int16_t& /*cancel: an unload is never refused*/) {
  if (RunOnStartUp)
    WriteStartupEntry(StartupCommand());
  else
    DeleteStartupEntry();

  const std::string file = plat::ToAnsi(SettingsFile());
  plat::WritePrivateProfileStringA(kSection, "path", plat::ToAnsi(CaptureFolder).c_str(), file.c_str());
  plat::WritePrivateProfileStringA(kSection, "format", plat::ToAnsi(CaptureFormat.str()).c_str(),
                                   file.c_str());
  plat::WritePrivateProfileStringA(kSection, "open", AutoOpen ? "1" : "0", file.c_str());

  if (TrayIcon) TrayIcon->Remove();
}

}  // namespace varnel
