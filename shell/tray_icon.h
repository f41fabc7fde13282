// One icon in the notification area on behalf of an owner window, spoken
// to as version 4 of the icon. The shell reports what happens on the icon
// to the owner with the program's own message (kTrayMessage); the icon
// listens to the owner's reports and turns them into MouseDown, MouseUp
// and MouseDblClick (1 left, 2 right), KeySelect (Enter or Space on the
// icon), ContextMenu (the icon's menu is asked for) and, for a click on its
// balloon, BalloonClick. A single left click (NIN_SELECT) raises nothing
// of its own. A mouse moving over the owner window itself is nothing to
// the icon.
//
// The menu: a right click asks for it once the double-click time has passed
// without a second click (a right double-click raises MouseDblClick alone);
// Shift+F10 or the menu key ask for it at once. ShowMenu shows it the
// documented way and returns the command chosen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
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
  // Adds the icon and sets version 4; true when the shell took it. The
  // notification area may not be ready yet (a start at sign-in): a failed
  // add is tried again every 2 s for up to 2 minutes, a modify first, since
  // an add that timed out may have been taken. Call it again when the shell
  // restarts (TaskbarCreated).
  bool Add();
  std::shared_ptr<plat::Picture> Icon() const { return icon_; }
  void SetIcon(std::shared_ptr<plat::Picture> icon) { icon_ = std::move(icon); }
  // Raises the invalid-argument error when no text was ever assigned. The
  // shell shows up to 127 characters.
  std::u16string Tooltip() const;
  void SetTooltip(const std::u16string& text) { tooltip_ = text + u'\0'; }
  // Shows a balloon notification from the icon, with the information
  // icon: a title (up to 63 characters) and a text (up to 255); quiet: no
  // sound. It goes by itself; a click on it raises BalloonClick. Counts as
  // a Modify; false when the shell did not take it.
  bool ShowBalloon(const std::u16string& title, const std::u16string& text, bool quiet = false);

  // One item of the icon's menu: a command id (0: a separator), its
  // caption with its access key, and whether it can be chosen.
  struct MenuItem {
    std::uint32_t id;
    std::u16string caption;
    bool enabled = true;
  };
  // Shows the menu at `anchor`, the item `defaultId` in bold: the owner
  // brought to the front first, a message posted to it after, so that the
  // menu closes as menus do. Returns the command chosen, 0 when the user
  // left the menu; one asked for from the keyboard and left hands the
  // focus back to the notification area.
  std::uint32_t ShowMenu(plat::Point anchor, std::span<const MenuItem> items, std::uint32_t defaultId,
                         bool fromKeyboard);

  std::function<void(std::int16_t Button)> MouseDown;
  std::function<void(std::int16_t Button)> MouseUp;
  std::function<void(std::int16_t Button)> MouseDblClick;
  std::function<void()> BalloonClick;
  std::function<void()> KeySelect;
  std::function<void(plat::Point anchor, bool fromKeyboard)> ContextMenu;

 private:
  void Fill();
  bool Shell(std::uint32_t message);
  void SetVersion();
  void Retry();
  void OwnerReport(std::uint32_t id, std::uint32_t message, plat::Point anchor);
  void RaiseContextMenu(plat::Point anchor, bool fromKeyboard);

  plat::NotifyIconDataW record_{};  // as the last Add or Modify filled it; Remove sends it

  std::u16string tooltip_;
  std::shared_ptr<plat::Picture> icon_;
  std::int16_t state_ = 0;
  plat::Form* owner_ = nullptr;
  std::optional<plat::Form::Subscription> subscription_;
  bool dispatching_ = false;  // while one of the events runs: later reports are dropped
  // A right button was just released: the WM_CONTEXTMENU that follows is
  // the mouse's. After a right double-click, the one that follows its
  // release is nothing.
  bool rightReleased_ = false;
  bool afterRightDouble_ = false;
  std::uint32_t retryUntil_ = 0;  // GetTickCount() at which a failed add is given up
};

}  // namespace varnel
