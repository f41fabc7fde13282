// One icon in the notification area on behalf of an owner window. The
// shell reports mouse activity on the icon to the owner as a mouse-move
// message whose horizontal coordinate is the mouse message number; the
// icon listens to the owner's mouse-move notifications and turns those
// reports into MouseDown, MouseUp and MouseDblClick (1 left, 2 right).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit.h"
#include "platform/types.h"

namespace varnel {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  plat::Form* OwnerForm() const { return owner_; }
  void SetOwnerForm(plat::Form* owner);
  std::int16_t State() const { return state_; }
  void Remove();
  void Modify();
  void Add();
  std::shared_ptr<plat::Picture> Icon() const { return icon_; }
  void SetIcon(std::shared_ptr<plat::Picture> icon) { icon_ = std::move(icon); }
  // Raises the invalid-argument error when no text was ever assigned.
  std::u16string Tooltip() const;
  void SetTooltip(const std::u16string& text) { tooltip_ = text + u'\0'; }

  std::function<void(std::int16_t Button)> MouseDown;
  std::function<void(std::int16_t Button)> MouseUp;
  std::function<void(std::int16_t Button)> MouseDblClick;

 private:
  void Fill();
  void OwnerMouseMove(int button, int shift, float x, float y);

  plat::NotifyIconDataA record_{};  // as the last Add or Modify filled it; Remove sends it

  std::u16string tooltip_;
  std::shared_ptr<plat::Picture> icon_;
  std::int16_t state_ = 0;
  plat::Form* owner_ = nullptr;
  std::optional<plat::Form::Subscription> subscription_;
  std::int32_t lastMessage_ = 0;  // the last mouse message decoded
  bool dispatching_ = false;      // while one of the events runs: later reports are dropped
};

}  // namespace varnel
