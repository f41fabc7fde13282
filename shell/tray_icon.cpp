#include "shell/tray_icon.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/unique.h"

namespace varnel {

namespace {

constexpr std::size_t kTipChars = 64;
constexpr std::uint32_t kIconId = 1;

}  // namespace

TrayIcon::~TrayIcon() {
  if (owner_ && subscription_) owner_->UnsubscribeMouseMove(*subscription_);
}

void TrayIcon::SetOwnerForm(plat::Form* owner) {
  if (owner_ && subscription_) owner_->UnsubscribeMouseMove(*subscription_);
  subscription_.reset();
  owner_ = owner;
  if (owner_)
    subscription_ = owner_->SubscribeMouseMove(
        [this](int button, int shift, float x, float y) { OwnerMouseMove(button, shift, x, y); });
}

std::u16string TrayIcon::Tooltip() const {
  if (tooltip_.empty()) plat::Raise(plat::kErrInvalidArgument);
  return tooltip_.substr(0, tooltip_.size() - 1);
}

void TrayIcon::Fill() {
  // Both references are checked before anything changes, so a failed call
  // leaves the record and State as they were.
  if (!icon_ || !owner_) plat::Raise(plat::kErrObjectNotSet);
  record_.cbSize = plat::NotifyIconDataSize();
  record_.hIcon = plat::HandleOf<plat::Hicon>(icon_->handle());
  record_.hWnd = owner_->hWnd();

  // The tip field: the text with its NUL, left-aligned in 64 characters and
  // padded with spaces; a text too long keeps its first 63 and the NUL.
  std::u16string tip = tooltip_;
  if (tip.size() > kTipChars) tip = tip.substr(0, kTipChars - 1) + u'\0';
  tip.resize(kTipChars, u' ');
  const std::string ansi = plat::ToAnsi(tip);
  std::memset(record_.szTip, ' ', sizeof record_.szTip);
  std::memcpy(record_.szTip, ansi.data(), std::min(ansi.size(), sizeof record_.szTip));
  // A multi-byte code page can push the NUL past the field: end it there.
  if (std::memchr(record_.szTip, '\0', sizeof record_.szTip) == nullptr) record_.szTip[sizeof record_.szTip - 1] = '\0';

  record_.uCallbackMessage = plat::kWmMouseMove;
  record_.uFlags = plat::kNifMessage | plat::kNifIcon | plat::kNifTip;
  record_.uID = kIconId;
}

void TrayIcon::Add() {
  Fill();
  plat::Shell_NotifyIconA(plat::kNimAdd, &record_);
  state_ = 1;
}

void TrayIcon::Modify() {
  Fill();
  plat::Shell_NotifyIconA(plat::kNimModify, &record_);
  state_ = 2;
}

void TrayIcon::Remove() {
  plat::Shell_NotifyIconA(plat::kNimDelete, &record_);
  state_ = 0;
}

void TrayIcon::OwnerMouseMove(int /*button*/, int /*shift*/, float x, float y) {
  // Back from twips to pixels: the pixel is the mouse message number.
  const float pixels = x / plat::TwipsPerPixelX();
  lastMessage_ = static_cast<std::int32_t>(std::nearbyint(pixels));  // ties to even
  if (y != 0) return;                                                // a real movement over the window
  if (dispatching_) return;

  std::function<void(std::int16_t)>* event = nullptr;
  std::int16_t button = 0;
  switch (lastMessage_) {
    case 0x201:
      event = &MouseDown;
      button = 1;
      break;
    case 0x202:
      event = &MouseUp;
      button = 1;
      break;
    case 0x203:
      event = &MouseDblClick;
      button = 1;
      break;
    case 0x204:
      event = &MouseDown;
      button = 2;
      break;
    case 0x205:
      event = &MouseUp;
      button = 2;
      break;
    case 0x206:
      event = &MouseDblClick;
      button = 2;
      break;
    default: break;
  }
  // The flag is cleared on every way out, so an error in a handler cannot
  // leave the icon deaf to all later clicks.
  const plat::ScopeExit done([this] { dispatching_ = false; });
  dispatching_ = true;
  if (event && *event) (*event)(button);
}

}  // namespace varnel
