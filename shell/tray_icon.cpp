#include "shell/tray_icon.h"

#include <algorithm>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/unique.h"

namespace varnel {

namespace {

constexpr std::size_t kTipChars = 64;
constexpr std::uint32_t kIconId = 1;
// How long a balloon asks to stay (Windows Vista and later decide by the
// user's accessibility setting instead).
constexpr std::uint32_t kBalloonMs = 10000;

}  // namespace

TrayIcon::~TrayIcon() {
  if (owner_ && subscription_) owner_->UnsubscribeTray(*subscription_);
}

void TrayIcon::SetOwnerForm(plat::Form* owner) {
  if (owner_ && subscription_) owner_->UnsubscribeTray(*subscription_);
  subscription_.reset();
  owner_ = owner;
  if (owner_)
    subscription_ =
        owner_->SubscribeTray([this](std::uint32_t id, std::uint32_t message) { OwnerReport(id, message); });
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

  // The tip: the text with its NUL, left-aligned in 64 characters and
  // padded with spaces; a text too long keeps its first 63 and the NUL.
  std::u16string tip = tooltip_;
  if (tip.size() > kTipChars) tip = tip.substr(0, kTipChars - 1) + u'\0';
  tip.resize(kTipChars, u' ');
  std::copy(tip.begin(), tip.end(), record_.szTip);

  record_.uCallbackMessage = plat::kTrayMessage;
  record_.uFlags = plat::kNifMessage | plat::kNifIcon | plat::kNifTip;
  record_.uID = kIconId;
}

void TrayIcon::Add() {
  Fill();
  plat::Shell_NotifyIconW(plat::kNimAdd, &record_);
  state_ = 1;
}

void TrayIcon::Modify() {
  Fill();
  plat::Shell_NotifyIconW(plat::kNimModify, &record_);
  state_ = 2;
}

void TrayIcon::ShowBalloon(const std::u16string& title, const std::u16string& text) {
  Fill();
  record_.uFlags |= plat::kNifInfo;
  Put(record_.szInfoTitle, title);
  Put(record_.szInfo, text);
  record_.dwInfoFlags = plat::kNiifInfo;
  record_.uTimeout = kBalloonMs;
  plat::Shell_NotifyIconW(plat::kNimModify, &record_);
  state_ = 2;
}

void TrayIcon::Remove() {
  plat::Shell_NotifyIconW(plat::kNimDelete, &record_);
  state_ = 0;
}

void TrayIcon::OwnerReport(std::uint32_t id, std::uint32_t message) {
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
  // The flag is cleared on every way out, so an error in a handler cannot
  // leave the icon deaf to all later clicks.
  const plat::ScopeExit done([this] { dispatching_ = false; });
  dispatching_ = true;
  if (message == plat::kNinBalloonUserClick) {
    if (BalloonClick) BalloonClick();
  } else if (event && *event) {
    (*event)(button);
  }
}

}  // namespace varnel
