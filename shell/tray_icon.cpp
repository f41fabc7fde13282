#include "shell/tray_icon.h"

#include <algorithm>
#include <utility>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/handles.h"
#include "platform/unique.h"

namespace varnel {

namespace {

constexpr std::size_t kTipChars = 128;
constexpr std::uint32_t kIconId = 1;
// The owner's one-shot timers: the menu after a right click, and the next
// try at a failed add.
constexpr std::uint32_t kMenuTimer = 2;
constexpr std::uint32_t kRetryTimer = 3;
constexpr std::uint32_t kRetryMs = 2000;
constexpr std::uint32_t kRetryForMs = 120000;
// How long a balloon asks to stay (Windows Vista and later decide by the
// user's accessibility setting instead).
constexpr std::uint32_t kBalloonMs = 10000;

}  // namespace

TrayIcon::~TrayIcon() { SetOwnerForm(nullptr); }

void TrayIcon::SetOwnerForm(plat::Form* owner) {
  if (owner_) {
    if (subscription_) owner_->UnsubscribeTray(*subscription_);
    owner_->StopOnce(kMenuTimer);
    owner_->StopOnce(kRetryTimer);
  }
  subscription_.reset();
  owner_ = owner;
  if (owner_)
    subscription_ = owner_->SubscribeTray(
        [this](std::uint32_t id, std::uint32_t message, plat::Point anchor) { OwnerReport(id, message, anchor); });
}

std::u16string TrayIcon::Tooltip() const {
  if (tooltip_.empty()) plat::Raise(plat::kErrInvalidArgument);
  return tooltip_.substr(0, tooltip_.size() - 1);
}

namespace {

// Copies text into a field of `size` characters, cut to leave room for its NUL.
template <std::size_t size>
void Put(char16_t (&field)[size], const std::u16string& text) {
  const std::size_t n = std::min(text.size(), size - 1);
  std::copy_n(text.begin(), n, field);
  std::fill(field + n, field + size, u'\0');
}

}  // namespace

void TrayIcon::Fill() {
  // Both references are checked before anything changes, so a failed call
  // leaves the record and State as they were.
  if (!icon_ || !owner_) plat::Raise(plat::kErrObjectNotSet);
  record_ = plat::NotifyIconDataW{};
  record_.cbSize = sizeof record_;
  record_.hIcon = plat::HandleOf<plat::Hicon>(icon_->handle());
  record_.hWnd = owner_->hWnd();

  // The tip: the text with its NUL, left-aligned in 128 characters and
  // padded with spaces; a text too long keeps its first 127 and the NUL.
  std::u16string tip = tooltip_;
  if (tip.size() > kTipChars) tip = tip.substr(0, kTipChars - 1) + u'\0';
  tip.resize(kTipChars, u' ');
  std::copy(tip.begin(), tip.end(), record_.szTip);

  record_.uCallbackMessage = plat::kTrayMessage;
  // Version 4 shows the tip only when asked to.
  record_.uFlags = plat::kNifMessage | plat::kNifIcon | plat::kNifTip | plat::kNifShowTip;
  record_.uID = kIconId;
}

bool TrayIcon::Shell(std::uint32_t message) { return plat::Shell_NotifyIconW(message, &record_); }

// Version 4: reports with the anchor point, the keyboard's, and the menu's
// own. The shell forgets it with the icon, so it follows every add.
void TrayIcon::SetVersion() {
  plat::NotifyIconDataW version = record_;
  version.uTimeout = plat::kNotifyIconVersion4;  // uVersion
  plat::Shell_NotifyIconW(plat::kNimSetVersion, &version);
}

bool TrayIcon::Add() {
  Fill();
  if (owner_) owner_->StopOnce(kRetryTimer);
  state_ = 1;
  if (Shell(plat::kNimAdd)) {
    SetVersion();
    return true;
  }
  retryUntil_ = plat::GetTickCount() + kRetryForMs;
  owner_->StartOnce(kRetryTimer, kRetryMs, [this] { Retry(); });
  return false;
}

void TrayIcon::Retry() {
  if (state_ == 0 || !icon_ || !owner_) return;
  Fill();
  if (Shell(plat::kNimModify) || Shell(plat::kNimAdd)) {
    SetVersion();
    return;
  }
  if (static_cast<std::int32_t>(retryUntil_ - plat::GetTickCount()) > 0)
    owner_->StartOnce(kRetryTimer, kRetryMs, [this] { Retry(); });
}

void TrayIcon::Modify() {
  Fill();
  Shell(plat::kNimModify);
  state_ = 2;
}

bool TrayIcon::ShowBalloon(const std::u16string& title, const std::u16string& text, bool quiet) {
  Fill();
  record_.uFlags |= plat::kNifInfo;
  Put(record_.szInfoTitle, title);
  Put(record_.szInfo, text);
  record_.dwInfoFlags = plat::kNiifInfo | (quiet ? plat::kNiifNoSound : 0);
  record_.uTimeout = kBalloonMs;
  const bool shown = Shell(plat::kNimModify);
  state_ = 2;
  return shown;
}

std::uint32_t TrayIcon::ShowMenu(plat::Point anchor, std::span<const MenuItem> items, std::uint32_t defaultId,
                                 bool fromKeyboard) {
  if (!owner_) plat::Raise(plat::kErrObjectNotSet);
  plat::UniqueMenu menu(plat::CreatePopupMenu());
  if (!menu) plat::Raise(plat::kErrOutOfMemory);
  for (const MenuItem& item : items) {
    const bool added = item.id == 0
                           ? plat::AppendMenuW(menu.get(), plat::kMfSeparator, 0, nullptr)
                           : plat::AppendMenuW(menu.get(), plat::kMfString | (item.enabled ? 0 : plat::kMfGrayed),
                                               item.id, item.caption.c_str());
    if (!added) plat::Raise(plat::kErrOutOfMemory);
  }
  plat::SetMenuDefaultItem(menu.get(), defaultId, 0);
  // Without the owner in front the menu would stay open when the user
  // clicks elsewhere; the message after lets it close the next time.
  const plat::Hwnd owner = owner_->hWnd();
  plat::SetForegroundWindow(owner);
  const std::int32_t chosen =
      plat::TrackPopupMenuEx(menu.get(), plat::kTpmRightButton | plat::kTpmReturnCmd, anchor.x, anchor.y, owner);
  plat::PostMessageW(owner, plat::kWmNull, 0, 0);
  if (chosen <= 0) {
    if (fromKeyboard && state_ != 0) Shell(plat::kNimSetFocus);
    return 0;
  }
  return static_cast<std::uint32_t>(chosen);
}

void TrayIcon::Remove() {
  // Neither a menu asked for nor a try at the add is due any more.
  if (owner_) {
    owner_->StopOnce(kMenuTimer);
    owner_->StopOnce(kRetryTimer);
  }
  plat::Shell_NotifyIconW(plat::kNimDelete, &record_);
  state_ = 0;
}

void TrayIcon::RaiseContextMenu(plat::Point anchor, bool fromKeyboard) {
  if (dispatching_) return;
  const plat::ScopeExit done([this] { dispatching_ = false; });
  dispatching_ = true;
  if (ContextMenu) ContextMenu(anchor, fromKeyboard);
}

void TrayIcon::OwnerReport(std::uint32_t id, std::uint32_t message, plat::Point anchor) {
  if (id != kIconId || dispatching_) return;
  std::function<void(std::int16_t)>* event = nullptr;
  std::int16_t button = 0;
  switch (message) {
    case plat::kWmLButtonDown:
      event = &MouseDown;
      button = 1;
      break;
    case plat::kWmLButtonUp:
      event = &MouseUp;
      button = 1;
      break;
    case plat::kWmLButtonDblClk:
      event = &MouseDblClick;
      button = 1;
      break;
    case plat::kWmRButtonDown:
      event = &MouseDown;
      button = 2;
      break;
    case plat::kWmRButtonUp:
      event = &MouseUp;
      button = 2;
      break;
    case plat::kWmRButtonDblClk:
      event = &MouseDblClick;
      button = 2;
      break;
    default: break;
  }
  // The menu: after a right click it waits for the double-click time, so
  // that a second click makes a double-click and no menu; a report with no
  // right button just before it is the keyboard's, answered at once.
  if (message == plat::kWmContextMenu) {
    const bool mouse = std::exchange(rightReleased_, false);
    if (std::exchange(afterRightDouble_, false)) return;
    if (!mouse) {
      RaiseContextMenu(anchor, true);
    } else if (owner_) {
      owner_->StartOnce(kMenuTimer, plat::GetDoubleClickTime(), [this, anchor] { RaiseContextMenu(anchor, false); });
    }
    return;
  }
  if (message == plat::kWmRButtonDblClk) {
    if (owner_) owner_->StopOnce(kMenuTimer);
    afterRightDouble_ = true;
  } else if (message == plat::kWmRButtonDown) {
    if (owner_) owner_->StopOnce(kMenuTimer);
    afterRightDouble_ = false;
  } else if (message != plat::kWmRButtonUp && message != plat::kNinSelect) {
    afterRightDouble_ = false;
  }
  rightReleased_ = message == plat::kWmRButtonUp;

  // The flag is cleared on every way out, so an error in a handler cannot
  // leave the icon deaf to all later clicks.
  const plat::ScopeExit done([this] { dispatching_ = false; });
  dispatching_ = true;
  if (message == plat::kNinBalloonUserClick) {
    if (BalloonClick) BalloonClick();
  } else if (message == plat::kNinKeySelect) {
    if (KeySelect) KeySelect();
  } else if (event && *event) {
    (*event)(button);
  }
}

}  // namespace varnel
