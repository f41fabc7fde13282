// Main's part in the notification-area icon: its menu, its keys and its
// tip. Each command of the menu is a plain id, run in one switch.
#include <array>
#include <cstring>

#include "app/capture_folder.h"
#include "app/main_form.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/error.h"
#include "platform/gdi_handles.h"
#include "platform/unique.h"

namespace varnel {

namespace {

// Puts `text` on the clipboard as Unicode text, for `owner`. A picture
// there goes; the capture takes no text for a picture, so this is never
// saved. False when the clipboard could not be had.
bool PutTextOnClipboard(plat::Hwnd owner, const std::u16string& text) {
  const plat::OpenedClipboard open(plat::OpenClipboard(owner));
  if (!open || !plat::EmptyClipboard()) return false;
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  const plat::Hglobal block = plat::GlobalAlloc(plat::kGmemMoveable, bytes);
  if (block == plat::Hglobal{}) return false;
  // Freed here unless the clipboard takes it.
  auto free = plat::ScopeExit([block] { plat::GlobalFree(block); });
  {
    const plat::LockedGlobal locked = plat::LockGlobal(block);
    if (!locked) return false;
    std::memcpy(const_cast<void*>(locked.get().address), text.c_str(), bytes);
  }
  if (plat::SetClipboardData(plat::kCfUnicodeText, plat::RawHandle(block)) == 0) return false;
  free.release();
  return true;
}

// The last part of a folder's path: "Desktop" for C:\Users\ann\Desktop,
// "C:" for C:\.
std::u16string LastPart(std::u16string folder) {
  while (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  const std::size_t slash = folder.find_last_of(u"\\/");
  return slash == std::u16string::npos ? folder : folder.substr(slash + 1);
}

// Version 4 shows 127 characters of a tip.
constexpr std::size_t kTipChars = 127;

}  // namespace

std::u16string Main::TrayTip() const {
  std::u16string folder;
  plat::Attempt([&] { folder = ResolveCaptureFolder(settings.CaptureFolder, plat::AppPath()); });
  const std::u16string head = u"Varnel: Print Screen saves to ";
  const std::u16string tail = u" as " + settings.CaptureFormat.str();
  std::u16string name = LastPart(folder);
  // A long name gives way, so that the format still shows.
  if (head.size() + name.size() + tail.size() > kTipChars)
    name = name.substr(0, kTipChars - head.size() - tail.size() - 1) + u"\u2026";
  return head + name + tail;
}

void Main::RefreshTip() {
  if (!TrayIcon || TrayIcon->State() == 0) return;
  plat::Attempt([&] {
    const std::u16string tip = TrayTip();
    if (tip == TrayIcon->Tooltip()) return;
    TrayIcon->SetTooltip(tip);
    TrayIcon->Modify();
  });
}

// Enter or Space on the icon: the window, as a left double-click shows it.
void Main::TrayIcon_KeySelect() { form_.Show(); }

void Main::TrayIcon_ContextMenu(plat::Point anchor, bool fromKeyboard) {
  const bool saved = !capture_.LastFile().empty();
  const std::array<TrayIcon::MenuItem, 6> items{{
      {kMenuSettings, u"&Settings"},
      {kMenuOpenFolder, u"&Open capture folder"},
      {kMenuOpenLast, u"Open &last capture", saved},
      {kMenuCopyPath, u"&Copy path of last capture", saved},
      {0, u""},
      {kMenuExit, u"E&xit"},
  }};
  std::uint32_t command = 0;
  plat::Attempt([&] { command = TrayIcon->ShowMenu(anchor, items, kMenuSettings, fromKeyboard); });
  MenuCommand_Run(command);
}

void Main::MenuCommand_Run(std::uint32_t command) {
  switch (command) {
    case kMenuSettings: form_.Show(); break;
    // The folder in force, not what the window's box holds unapplied.
    case kMenuOpenFolder: OpenCaptureFolder(settings.CaptureFolder); break;
    case kMenuOpenLast:
      if (!capture_.LastFile().empty()) OpenCapture(capture_.LastFile());
      break;
    case kMenuCopyPath:
      if (!capture_.LastFile().empty()) PutTextOnClipboard(form_.hWnd(), capture_.LastFile());
      break;
    // As the right double-click: the settings are written at the unload.
    case kMenuExit: ExitFromIcon(); break;
    default: break;
  }
}

}  // namespace varnel
