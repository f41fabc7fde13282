// Simulated window toolkit: an in-memory window whose controls keep their
// value, text and enabled state, the keyboard focus as Windows moves it (a
// click or typing gives it to the control, disabling the control or hiding
// the window takes it away), user actions delivered as the real window
// delivers them, a message queue that hands out posted messages before
// input, a timer that runs only while started, message boxes that let
// messages through, and the layout for the dots per inch of the monitor
// the window is on (96 until it moves to another).
#include "platform/toolkit.h"

#include <deque>
#include <map>
#include <set>
#include <optional>

#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

struct ControlState {
  int value;
  std::u16string text;
  bool enabled;
};

class SimFormPeer;

struct Toolkit {
  SimFormPeer* peer = nullptr;
  plat::Form* form = nullptr;
  bool destroyed = false;
  bool keyboardWatched = false;
  bool clipboardWatched = false;
  std::uint32_t timerMs = 0;
  std::uint32_t timerLast = 0;  // GetTickCount() at the timer's start or last tick
  std::size_t timerTicks = 0;
  std::map<std::uint32_t, std::uint32_t> once;  // one-shot timers: id and when due (GetTickCount)
  std::deque<std::uint32_t> clipboardReports;   // posted: their times
  std::deque<plat::RawKey> input;
  std::set<int> held;  // keys the keyboard holds down, heard or not
  std::vector<MessageBoxCall> boxes;
  // Who may bring a window to the front (see SetForegroundWindow's rules
  // below): Varnel's window is the foreground window, or Varnel received
  // the last input event (or was just started by the shell, the foreground
  // process then).
  bool foreground = false;
  bool mayTakeForeground = true;
  std::size_t flashes = 0;
  std::function<void()> whileBoxOpen;
  std::deque<std::u16string> taskBoxAnswers;  // buttons' captions
  // The session's instance claims: name and the token of the claim holding it.
  std::map<std::u16string, plat::Handle> claims;
  plat::Handle nextClaim = 0x50000;
  // Pop-up menus: those alive with their items and default, those shown,
  // and what the user does in the next.
  struct Menu {
    std::vector<MenuItem> items;
    std::uint32_t defaultId = 0xFFFFFFFFu;
  };
  std::map<plat::Handle, Menu> menus;
  plat::Handle nextMenu = 0x60000;
  std::vector<MenuShown> menusShown;
  std::deque<MenuAnswer> menuAnswers;
};

Toolkit& T() {
  static Toolkit t;
  return t;
}

// SetForegroundWindow, as Windows restricts it: "The system restricts which
// processes can set the foreground window. A process can set the
// foreground window by calling SetForegroundWindow only if ... The calling
// process is the foreground process. The calling process was started by
// the foreground process. ... The calling process received the last input
// event." Otherwise "An application cannot force a window to the
// foreground while the user is working with another window. Instead,
// Windows flashes the taskbar button of the window to notify the user."
// (learn.microsoft.com, SetForegroundWindow function, Remarks.) Wine lets
// any window take the foreground.
bool TakeForeground() {
  auto& t = T();
  if (t.foreground || t.mayTakeForeground) {
    detail::Log("SetForegroundWindow: granted");
    return t.foreground = true;
  }
  detail::Log("SetForegroundWindow: refused, the taskbar button flashes");
  ++t.flashes;
  return false;
}

// The user's input reached Varnel: its window, or its notification-area
// icon, for which the shell lets the icon's owner come to the front.
void InputToVarnel() { T().mayTakeForeground = true; }

class SimFormPeer : public plat::FormPeer {
 public:
  SimFormPeer(plat::Form& form, const plat::FormDesign& design) : form_(form), design_(design) {
    for (const auto& c : design.controls) controls_.push_back({c.value, c.caption, c.enabled});
    LayOut(96, {});
    T().peer = this;
    T().form = &form;
    T().destroyed = false;
  }
  ~SimFormPeer() override {
    detail::ForgetWindow(hwnd_);
    if (T().peer == this) {
      T().peer = nullptr;
      T().form = nullptr;
    }
  }
  plat::Hwnd hWnd() const override { return plat::HandleOf<plat::Hwnd>(hwnd_); }
  void Show() override {
    detail::Log("ShowWindow");
    visible_ = true;
    TakeForeground();
  }
  void Hide() override {
    detail::Log("HideWindow");
    visible_ = false;
    T().foreground = false;
    focus_ = -1;
  }
  bool Visible() const override { return visible_; }
  void Destroy() override {
    detail::Log("DestroyWindow");
    visible_ = false;
    T().destroyed = true;
    T().keyboardWatched = T().clipboardWatched = false;
    T().timerMs = 0;
  }
  plat::Handle IconHandle() const override { return detail::ApplicationIcon(); }
  plat::Handle SmallIconHandle() const override { return detail::SmallApplicationIcon(); }
  int GetValue(int i) const override { return At(i).value; }
  void SetValue(int i, int v) override { At(i).value = v; }
  std::u16string GetText(int i) const override { return At(i).text; }
  void SetText(int i, const std::u16string& text) override {
    At(i).text = text;
    if (design_.controls[static_cast<std::size_t>(i)].kind == plat::ControlKind::TextBox) form_.NotifyChange(i);
  }
  bool GetEnabled(int i) const override { return At(i).enabled; }
  void SetEnabled(int i, bool e) override {
    At(i).enabled = e;
    if (!e && focus_ == i) focus_ = -1;
  }
  int FocusedControl() const override { return focus_; }
  void Focus(int i) override { focus_ = i; }
  bool WatchKeyboard() override {
    detail::Log("RegisterRawInputDevices(1,6,INPUTSINK)");
    if (detail::Fault("RegisterRawInputDevices")) return false;
    return T().keyboardWatched = true;
  }
  bool WatchClipboard() override {
    detail::Log("AddClipboardFormatListener()");
    if (detail::Fault("AddClipboardFormatListener")) return false;
    return T().clipboardWatched = true;
  }
  void StartTimer(std::uint32_t ms) override {
    detail::Log("SetTimer(" + std::to_string(ms) + ")");
    T().timerMs = ms;
    T().timerLast = plat::GetTickCount();
  }
  void StopTimer() override {
    detail::Log("KillTimer()");
    T().timerMs = 0;
  }
  void StartOnce(std::uint32_t id, std::uint32_t ms) override {
    detail::Log("SetTimer(" + std::to_string(id) + "," + std::to_string(ms) + ")");
    T().once[id] = plat::GetTickCount() + ms;
  }
  void StopOnce(std::uint32_t id) override {
    detail::Log("KillTimer(" + std::to_string(id) + ")");
    T().once.erase(id);
  }

  plat::WindowLayout Layout() const override { return layout_; }

  // WM_DPICHANGED: laid out again for the new dpi, where Windows suggests.
  void DpiChanged(int dpi, plat::Point suggestedOrigin) {
    detail::Log("WM_DPICHANGED(" + std::to_string(dpi) + ")");
    LayOut(dpi, suggestedOrigin);
  }

  int IndexOf(const std::u16string& name) const {
    for (std::size_t i = 0; i < design_.controls.size(); ++i)
      if (design_.controls[i].name == name) return static_cast<int>(i);
    return -1;
  }
  const plat::FormDesign& design() const { return design_; }

 private:
  // The client area and the controls from the design's twips at `dpi`,
  // each control in the font made for it.
  void LayOut(int dpi, plat::Point origin) {
    using plat::DesignPixels;
    layout_ = {dpi, origin, DesignPixels(design_.clientWidth, dpi), DesignPixels(design_.clientHeight, dpi), {}};
    for (const auto& c : design_.controls)
      layout_.controls.push_back({DesignPixels(c.left, dpi), DesignPixels(c.top, dpi), DesignPixels(c.width, dpi),
                                  DesignPixels(c.height, dpi), plat::DesignFontHeight(dpi)});
  }
  ControlState& At(int i) { return controls_[static_cast<std::size_t>(i)]; }
  const ControlState& At(int i) const { return controls_[static_cast<std::size_t>(i)]; }
  plat::Form& form_;
  plat::FormDesign design_;
  const plat::Handle hwnd_ = detail::NewWindow();
  std::vector<ControlState> controls_;
  plat::WindowLayout layout_;
  bool visible_ = false;
  int focus_ = -1;
};

}  // namespace

namespace detail {
void ResetToolkit() {
  auto* peer = T().peer;
  auto* form = T().form;
  T() = Toolkit{};
  T().peer = peer;  // a window that outlives the reset still reports here
  T().form = form;
}

void ClipboardChanged() {
  if (T().clipboardWatched && T().form && !T().destroyed) T().clipboardReports.push_back(plat::GetTickCount());
}
}  // namespace detail

plat::Form* CurrentForm() { return T().form; }
bool WindowDestroyed() { return T().destroyed; }

namespace {
// What a control does when clicked or pressed through the keyboard.
void Press(const std::u16string& control) {
  auto* peer = T().peer;
  if (!peer || T().destroyed) return;
  InputToVarnel();
  int i = peer->IndexOf(control);
  if (i < 0 || !peer->GetEnabled(i)) return;
  auto& c = (*T().form)[control];
  switch (c.design().kind) {
    case plat::ControlKind::CheckBox:
      peer->SetValue(i, peer->GetValue(i) == 1 ? 0 : 1);
      T().form->NotifyClick(i);
      break;
    case plat::ControlKind::OptionButton:
      c.SetValue(1);  // selects it, clears the others and raises Click
      break;
    case plat::ControlKind::Button: T().form->NotifyClick(i); break;
    default: break;
  }
}
}  // namespace

// The mouse's press gives the control the focus before its release clicks it.
void UserClick(const std::u16string& control) {
  auto* peer = T().peer;
  if (!peer || T().destroyed) return;
  int i = peer->IndexOf(control);
  if (i < 0 || !peer->GetEnabled(i)) return;
  if (peer->design().controls[static_cast<std::size_t>(i)].kind != plat::ControlKind::Label) peer->Focus(i);
  Press(control);
}

void UserType(const std::u16string& control, const std::u16string& text) {
  auto* peer = T().peer;
  if (!peer || T().destroyed) return;
  InputToVarnel();
  int i = peer->IndexOf(control);
  if (i < 0 || !peer->GetEnabled(i)) return;
  peer->Focus(i);
  peer->SetText(i, text);
}

void KeyUp(int keyCode, int shift) {
  InputToVarnel();
  if (T().form && !T().destroyed) T().form->NotifyKeyUp(keyCode, shift);
}

namespace {
void PressFlagged(bool plat::ControlDesign::*flag) {
  auto* peer = T().peer;
  if (!peer || T().destroyed) return;
  for (const auto& c : peer->design().controls)
    if (c.*flag) Press(c.name);
}
}  // namespace

void PressEnter() { PressFlagged(&plat::ControlDesign::isDefault); }
void PressEscape() { PressFlagged(&plat::ControlDesign::isCancel); }

void MouseMovePixels(int x, int y) {
  // The window makes nothing of a mouse movement over it.
  detail::Log("WM_MOUSEMOVE(" + std::to_string(x) + "," + std::to_string(y) + ")");
}

namespace {
// The callback message's parameters, read back as the real window reads them.
void DeliverTray(std::uintptr_t wParam, std::intptr_t lParam) {
  InputToVarnel();
  if (!T().form || T().destroyed) return;
  const plat::TrayReport report = plat::DecodeTrayReport(wParam, lParam);
  T().form->NotifyTray(report.id, report.message, report.anchor);
}
}  // namespace

void ShellTrayReport(std::uint32_t id, std::uint32_t message, plat::Point anchor) {
  const auto wParam =
      (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(anchor.y)) << 16) | static_cast<std::uint16_t>(anchor.x);
  DeliverTray(wParam, static_cast<std::intptr_t>(((id & 0xFFFF) << 16) | (message & 0xFFFF)));
}

// As the shell lays them out for the icon's version.
void ShellTrayMessage(std::uint32_t message, plat::Point anchor) {
  constexpr std::uint32_t kId = 1;
  if (TrayIconVersion() >= plat::kNotifyIconVersion4)
    ShellTrayReport(kId, message, anchor);
  else
    DeliverTray(kId, static_cast<std::intptr_t>(message));
}

void UserTrayGesture(TrayGesture gesture, plat::Point anchor) {
  using namespace plat;
  const bool v4 = TrayIconVersion() >= kNotifyIconVersion4;
  std::vector<std::uint32_t> reports;
  switch (gesture) {
    case TrayGesture::LeftClick: reports = {kWmLButtonDown, kWmLButtonUp}; break;
    case TrayGesture::LeftDoubleClick: reports = {kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmLButtonUp}; break;
    case TrayGesture::RightClick: reports = {kWmRButtonDown, kWmRButtonUp}; break;
    case TrayGesture::RightDoubleClick: reports = {kWmRButtonDown, kWmRButtonUp, kWmRButtonDblClk, kWmRButtonUp}; break;
    case TrayGesture::EnterKey: reports = {kNinKeySelect}; break;
    case TrayGesture::MenuKey: reports = {kWmContextMenu}; break;
  }
  for (const std::uint32_t message : reports) {
    // Version 4 follows each button's release with its own report; the
    // keys report only there.
    const bool keys = message == kNinKeySelect || message == kWmContextMenu;
    if (keys && !v4) continue;
    ShellTrayMessage(message, anchor);
    if (v4 && message == kWmLButtonUp) ShellTrayMessage(kNinSelect, anchor);
    if (v4 && message == kWmRButtonUp) ShellTrayMessage(kWmContextMenu, anchor);
  }
}

namespace {
void QueueKey(int vk, bool down, std::uint16_t makeCode, std::uint16_t flags) {
  // Keyboard input goes to the window in front; Varnel hears it as raw
  // input only, which is not the input Windows counts as its own.
  if (!T().foreground) T().mayTakeForeground = false;
  if (T().keyboardWatched && T().form && !T().destroyed)
    T().input.push_back(
        {vk, down, makeCode, static_cast<std::uint16_t>(flags | (down ? 0 : plat::kRiKeyBreak)), plat::GetTickCount()});
}
}  // namespace

void RawKey(int vk, bool down) {
  if (down)
    T().held.insert(vk);
  else
    T().held.erase(vk);
  // The scan codes a keyboard sends, as far as the tests tell keys apart:
  // Print Screen is E0 37, and 54 (SysRq) while Alt is held.
  std::uint16_t makeCode = 0, flags = 0;
  if (vk == plat::kVkSnapshot) {
    const bool alt = T().held.count(plat::kVkMenu) != 0;
    makeCode = alt ? plat::kScanSysRq : plat::kScanPrintScreen;
    flags = alt ? 0 : plat::kRiKeyE0;
  } else if (vk == plat::kVkMenu) {
    makeCode = 0x38;
  }
  QueueKey(vk, down, makeCode, flags);
}

void SentKey(int vk, bool down, std::uint16_t scanCode, bool e0) {
  QueueKey(vk, down, scanCode, e0 ? plat::kRiKeyE0 : 0);
}

void KeyReleasedUnheard(int vk) { T().held.erase(vk); }

void Pump() {
  auto& t = T();
  while (t.form && !t.destroyed && (!t.clipboardReports.empty() || !t.input.empty())) {
    if (!t.clipboardReports.empty()) {
      const std::uint32_t time = t.clipboardReports.front();
      t.clipboardReports.pop_front();
      t.form->NotifyClipboardUpdate(time);
    } else {
      const plat::RawKey in = t.input.front();
      t.input.pop_front();
      t.form->NotifyRawKey(in);
    }
  }
}

void ExplorerRestarts() {
  detail::Log("TaskbarCreated");
  detail::ForgetTrayIcons();
  if (T().form && !T().destroyed) T().form->NotifyTaskbarCreated();
}

void Tick(int count) {
  for (int i = 0; i < count && T().form && !T().destroyed; ++i) {
    AdvanceTickCount(kTickMs);
    Pump();
    auto& t = T();
    if (t.timerMs != 0 && plat::GetTickCount() - t.timerLast >= t.timerMs && t.form && !t.destroyed) {
      t.timerLast = plat::GetTickCount();
      ++t.timerTicks;
      t.form->NotifyTimer();
    }
    // The one-shot timers due, each once (a handler may start or stop others).
    for (bool fired = true; fired && t.form && !t.destroyed;) {
      fired = false;
      for (const auto& [id, due] : t.once)
        if (static_cast<std::int32_t>(plat::GetTickCount() - due) >= 0) {
          const std::uint32_t firing = id;
          fired = true;
          t.form->NotifyOnce(firing);
          break;
        }
    }
  }
}

std::size_t TimerTicks() { return T().timerTicks; }
bool WatchingKeyboard() { return T().keyboardWatched; }
bool WatchingClipboard() { return T().clipboardWatched; }
std::uint32_t TimerInterval() { return T().timerMs; }

void WindowMovedToDpi(int dpi, plat::Point origin) {
  if (T().peer && !T().destroyed) T().peer->DpiChanged(dpi, origin);
}

void CloseRequest() {
  if (T().form && !T().destroyed) T().form->NotifyCloseRequest();
}

void EndSession() { CloseRequest(); }

const std::vector<MessageBoxCall>& MessageBoxes() { return T().boxes; }

const std::vector<MenuShown>& MenusShown() { return T().menusShown; }
void QueueMenuAnswer(MenuAnswer answer) { T().menuAnswers.push_back(std::move(answer)); }
std::size_t LiveMenus() { return T().menus.size(); }

void AnotherProgramInFront() {
  T().foreground = false;
  T().mayTakeForeground = false;
}
bool VarnelInFront() { return T().foreground; }
std::size_t TaskbarFlashes() { return T().flashes; }
void WhileMessageBoxOpen(std::function<void()> action) { T().whileBoxOpen = std::move(action); }
void QueueTaskBoxAnswer(std::u16string button) { T().taskBoxAnswers.push_back(std::move(button)); }

}  // namespace sim

namespace plat {

std::unique_ptr<FormPeer> CreateFormPeer(Form& form, const FormDesign& design) {
  return std::make_unique<sim::SimFormPeer>(form, design);
}

void DestroyPictureHandle(Handle handle, Picture::Type type) {
  if (type == Picture::Type::Bitmap) DeleteObject(HandleOf<Hbitmap>(handle));
}

namespace {
void OpenBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost,
             std::vector<std::u16string> buttons) {
  // A topmost box (MB_TOPMOST: "The message box is created with the
  // WS_EX_TOPMOST window style") stands above every other window whether
  // or not it may take the foreground; any other box is in front only
  // where its program may take the foreground (MB_SETFOREGROUND: "the
  // system calls the SetForegroundWindow function for the message box").
  // A task dialog has no such flag: the real backend makes it topmost
  // itself once it is created, to the same effect.
  auto& t = sim::T();
  const bool inFront = topmost ? (sim::TakeForeground(), true) : t.foreground || t.mayTakeForeground;
  const bool ownerShown = owner == Hwnd{} || (t.peer && t.peer->hWnd() == owner && t.peer->Visible());
  t.boxes.push_back({prompt, title.empty() ? AppExeName() : title, RawHandle(owner), topmost, inFront && ownerShown,
                     std::move(buttons)});
  if (auto action = sim::T().whileBoxOpen) action();
}
}  // namespace

void MsgBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost) {
  sim::detail::Log("MessageBox(" + ToUtf8(prompt) + "," + ToUtf8(title) + ")");
  OpenBox(prompt, title, owner, topmost, {});
}

std::size_t TaskBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost,
                    std::span<const std::u16string> buttons, std::size_t /*defaultButton*/) {
  sim::detail::Log("TaskDialogIndirect(" + ToUtf8(prompt) + "," + ToUtf8(title) + ")");
  OpenBox(prompt, title, owner, topmost, {buttons.begin(), buttons.end()});
  const std::size_t last = buttons.empty() ? 0 : buttons.size() - 1;
  auto& answers = sim::T().taskBoxAnswers;
  // The window that owns the dialog went while it was open (the session
  // ended): Windows destroyed the dialog with it, and no button was pressed.
  if (owner != Hwnd{} && (sim::T().destroyed || !sim::T().peer)) return last;
  if (answers.empty()) return last;
  const std::u16string pressed = answers.front();
  answers.pop_front();
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == pressed) return i;
  return last;
}

// A second claim stands for a second process of the same session: the
// holder's window, the one window there is, hears of it at once.
InstanceClaim::InstanceClaim(const std::u16string& name) {
  sim::detail::Log("InstanceClaim(" + ToUtf8(name) + ")");
  auto& t = sim::T();
  if (t.claims.count(name)) {
    if (t.form && !t.destroyed) t.form->NotifyOtherInstance();
    return;
  }
  token_.reset(t.nextClaim++);
  t.claims[name] = token_.get();
  held_ = true;
}

void InstanceClaim::TokenTraits::Close(Handle token) {
  auto& claims = sim::T().claims;
  for (auto it = claims.begin(); it != claims.end(); ++it)
    if (it->second == token) {
      claims.erase(it);
      break;
    }
}

int RunMessageLoop() { return 0; }

Hmenu CreatePopupMenu() {
  sim::detail::Log("CreatePopupMenu()");
  if (sim::detail::Fault("CreatePopupMenu")) return {};
  auto& t = sim::T();
  const Handle menu = t.nextMenu;
  t.nextMenu += 4;
  t.menus[menu] = {};
  return HandleOf<Hmenu>(menu);
}

bool AppendMenuW(Hmenu hMenu, std::uint32_t uFlags, std::uintptr_t uIDNewItem, const char16_t* lpNewItem) {
  const auto it = sim::T().menus.find(RawHandle(hMenu));
  sim::detail::Log("AppendMenuW(" + std::to_string(uIDNewItem) + ")");
  if (it == sim::T().menus.end() || sim::detail::Fault("AppendMenuW")) return false;
  if (uFlags & kMfSeparator)
    it->second.items.push_back({0, u"", false});
  else
    it->second.items.push_back(
        {static_cast<std::uint32_t>(uIDNewItem), lpNewItem ? lpNewItem : u"", (uFlags & kMfGrayed) != 0});
  return true;
}

bool SetMenuDefaultItem(Hmenu hMenu, std::uint32_t uItem, std::uint32_t fByPos) {
  sim::detail::Log("SetMenuDefaultItem(" + std::to_string(uItem) + ")");
  const auto it = sim::T().menus.find(RawHandle(hMenu));
  if (it == sim::T().menus.end() || fByPos != 0) return false;
  it->second.defaultId = uItem;
  return true;
}

std::int32_t TrackPopupMenuEx(Hmenu hMenu, std::uint32_t uFlags, std::int32_t x, std::int32_t y, Hwnd hwnd) {
  sim::detail::Log("TrackPopupMenuEx(" + std::to_string(x) + "," + std::to_string(y) + ")");
  auto& t = sim::T();
  const auto it = t.menus.find(RawHandle(hMenu));
  if (it == t.menus.end() || !t.peer || t.peer->hWnd() != hwnd) return 0;
  t.menusShown.push_back({it->second.items, it->second.defaultId, {x, y}, uFlags, t.foreground});
  sim::MenuAnswer answer{sim::MenuAnswer::Kind::Escape, u""};
  if (!t.menuAnswers.empty()) {
    answer = t.menuAnswers.front();
    t.menuAnswers.pop_front();
  }
  if (answer.kind != sim::MenuAnswer::Kind::Choose) return 0;
  for (const auto& item : it->second.items)
    if (item.id != 0 && item.caption == answer.caption && !item.grayed)
      return (uFlags & kTpmReturnCmd) ? static_cast<std::int32_t>(item.id) : 1;
  return 0;
}

bool DestroyMenu(Hmenu hMenu) {
  sim::detail::Log("DestroyMenu()");
  return sim::T().menus.erase(RawHandle(hMenu)) != 0;
}

bool SetForegroundWindow(Hwnd hWnd) {
  auto& t = sim::T();
  if (!t.peer || t.peer->hWnd() != hWnd) return false;
  return sim::TakeForeground();
}

bool PostMessageW(Hwnd hWnd, std::uint32_t Msg, std::uintptr_t /*wParam*/, std::intptr_t /*lParam*/) {
  sim::detail::Log("PostMessageW(" + std::to_string(Msg) + ")");
  // Nothing the program posts itself calls for an answer of the window.
  return sim::T().peer && sim::T().peer->hWnd() == hWnd;
}

}  // namespace plat
