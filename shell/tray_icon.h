// One icon in the notification area on behalf of an owner window. The
// shell reports what happens on the icon to the owner with the program's
// own message (kTrayMessage); the icon listens to the owner's reports and
// turns them into MouseDown, MouseUp and MouseDblClick (1 left, 2 right),
// and a click on its balloon into BalloonClick. A mouse moving over the
// owner window itself is nothing to the icon.
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
  // Shows a balloon notification from the icon, with the information
  // icon: a title (up to 63 characters) and a text (up to 255). It goes by
  // itself; a click on it raises BalloonClick. Counts as a Modify.
  void ShowBalloon(const std::u16string& title, const std::u16string& text);

  std::function<void(std::int16_t Button)> MouseDown;
  std::function<void(std::int16_t Button)> MouseUp;
  std::function<void(std::int16_t Button)> MouseDblClick;
  std::function<void()> BalloonClick;

 private:
  void Fill();
  void OwnerReport(std::uint32_t id, std::uint32_t message);

  plat::NotifyIconDataW record_{};  // as the last Add or Modify filled it; Remove sends it

  std::u16string tooltip_;
  std::shared_ptr<plat::Picture> icon_;
  std::int16_t state_ = 0;
  plat::Form* owner_ = nullptr;
  std::optional<plat::Form::Subscription> subscription_;
  bool dispatching_ = false;  // while one of the events runs: later reports are dropped
};

}  // namespace varnel
