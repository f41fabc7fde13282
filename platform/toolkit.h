// The window toolkit: the one window, its controls and timer, what Windows
// tells the window (keyboard input of the session, clipboard changes,
// reports of its notification-area icon), message boxes, and the
// one-copy-per-session claim.
// The file services are in files.h, the program's own facts in app_env.h,
// pictures in picture.h.
//
// Form and Control hold the toolkit's logic once; each backend supplies a
// FormPeer that owns the native window (a real HWND in win32/, an in-memory
// window in sim/) and reports user actions back to the Form.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/types.h"
#include "platform/unique.h"

namespace plat {

enum class ControlKind { Label, CheckBox, OptionButton, TextBox, Button };
enum class Align { Left, Center, Right };

// One control of the window's design. Positions and sizes are in twips.
struct ControlDesign {
  std::u16string name;
  ControlKind kind;
  std::u16string caption;
  int left, top, width, height;
  int tabIndex;
  Align align = Align::Left;
  bool isDefault = false;  // pressed by Enter
  bool isCancel = false;   // pressed by Escape
  int value = 0;           // check box 0/1/2; option button 1 = selected
  bool enabled = true;
};

struct FormDesign {
  std::u16string caption;
  int clientWidth = 0, clientHeight = 0;  // twips
  std::vector<ControlDesign> controls;
};

// The design at a screen's dots per inch: a length in twips as pixels,
// rounded to the nearest (as MulDiv rounds), and the height of the
// design's font, 8 points, as a font's lfHeight (negative: the height of
// its characters, in pixels).
int DesignPixels(int twips, int dpi);
int DesignFontHeight(int dpi);

// The window as Windows has it laid out now, in pixels (FormPeer::Layout).
struct PlacedControl {
  int left, top, width, height;  // in the window's client area
  int fontHeight;                // of the font the control draws with
  bool operator==(const PlacedControl&) const = default;
};
struct WindowLayout {
  int dpi;       // the dots per inch it is laid out for
  Point origin;  // the frame's top left on the screen
  int clientWidth, clientHeight;
  std::vector<PlacedControl> controls;  // in the design's order
};

class Form;

class Control {
 public:
  Control(Form& form, int index, const ControlDesign& design);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  const ControlDesign& design() const { return design_; }
  const std::u16string& name() const { return design_.name; }

  // Check box: 0, 1 or 2. Option button: 1 selected, 0 not. Setting the
  // value from code raises Click as a user's click would; selecting an
  // option button clears the other option buttons of the window.
  int Value() const;
  void SetValue(int value);
  // Caption, or the text of a text box. Setting a text box's text raises
  // Change.
  std::u16string Text() const;
  void SetText(const std::u16string& text);
  bool Enabled() const;
  // Disabling the control that has the keyboard focus first hands the
  // focus to the default button (to the window itself when that is this
  // control or disabled): the window keeps the keyboard focus.
  void SetEnabled(bool enabled);
  // Whether the control has the keyboard focus.
  bool Focused() const;

  std::function<void()> Click;   // buttons, check boxes, option buttons
  std::function<void()> Change;  // text box

 private:
  Form& form_;
  int index_;
  ControlDesign design_;
};

// Each kind of control as its own type, so that the program holds, say, a
// check box as a CheckBox (see Form::Get). The window makes each control of
// its design as the type of its kind.
class CheckBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::CheckBox;
  using Control::Control;
  // Only 1 counts as checked: 2 (greyed) does not.
  bool Checked() const { return Value() == 1; }
  void SetChecked(bool checked) { SetValue(checked ? 1 : 0); }
};
class OptionButton : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::OptionButton;
  using Control::Control;
  bool Selected() const { return Value() != 0; }
  void Select() { SetValue(1); }
};
class TextBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::TextBox;
  using Control::Control;
};
class Button : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Button;
  using Control::Control;
};
class Label : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Label;
  using Control::Control;
};

// What a backend's native window does for the Form.
class FormPeer {
 public:
  virtual ~FormPeer() = default;
  virtual Hwnd hWnd() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  virtual void Destroy() = 0;  // after the unload handler; ends the program
  virtual Handle IconHandle() const = 0;
  // The icon at the small-icon size of the screen's dots per inch.
  virtual Handle SmallIconHandle() const = 0;
  virtual int GetValue(int index) const = 0;
  virtual void SetValue(int index, int value) = 0;
  virtual std::u16string GetText(int index) const = 0;
  // For a text box the peer raises the Change notification itself, as a
  // native edit control does for any new text.
  virtual void SetText(int index, const std::u16string& text) = 0;
  virtual bool GetEnabled(int index) const = 0;
  // Disabling a control that has the keyboard focus leaves the window
  // without focus, as Windows does.
  virtual void SetEnabled(int index, bool enabled) = 0;
  // The control that has the keyboard focus, -1 when none has it; Focus
  // gives it to a control, or with -1 to the window itself.
  virtual int FocusedControl() const = 0;
  virtual void Focus(int index) = 0;
  // The window and its controls as Windows has them placed now. The window
  // is laid out for the dots per inch of the monitor it is on, and again
  // when Windows moves it to one of another (its controls, their font, its
  // client area, all from the design's twips).
  virtual WindowLayout Layout() const = 0;
  // See Form::WatchKeyboard, WatchClipboard and StartTimer.
  virtual bool WatchKeyboard() = 0;
  virtual bool WatchClipboard() = 0;
  virtual void StartTimer(std::uint32_t ms) = 0;
  virtual void StopTimer() = 0;
  // See Form::StartOnce.
  virtual void StartOnce(std::uint32_t id, std::uint32_t ms) = 0;
  virtual void StopOnce(std::uint32_t id) = 0;
};

// A key of the session's keyboard, as raw input reports it.
struct RawKey {
  int vk;                  // virtual-key code
  bool down;               // false: released
  std::uint16_t makeCode;  // the scan code the keyboard sent; 0 for input sent by a program
  std::uint16_t flags;     // kRiKeyE0 and the like
  std::uint32_t time;      // when it happened, on GetTickCount's clock
};

// Subscriber to the reports of the window's notification-area icons: the
// icon's id, the message (a mouse message such as kWmLButtonDblClk,
// kWmContextMenu, a keyboard report such as kNinKeySelect, or a balloon's,
// such as kNinBalloonUserClick) and the anchor point on the screen.
using TrayHandler = std::function<void(std::uint32_t id, std::uint32_t message, Point anchor)>;

class Form {
 public:
  explicit Form(const FormDesign& design);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Event handlers, set by the program before Load().
  std::function<void()> OnLoad;
  std::function<void()> OnUnload;
  std::function<void()> OnTimer;
  // A key went down or up anywhere in the session, whichever window has
  // the keyboard (once WatchKeyboard succeeded); a key held down repeats
  // its down events.
  std::function<void(const RawKey& key)> OnRawKey;
  // The clipboard's content changed, by any program (once WatchClipboard
  // succeeded); time: when Windows reported it, on GetTickCount's clock.
  // Windows posts the report: it may be handled before the input that
  // caused it.
  std::function<void(std::uint32_t time)> OnClipboardUpdate;
  // Key releases, with and without Alt held; shift: 1 Shift, 2 Ctrl, 4 Alt.
  std::function<void(int keyCode, int shift)> OnKeyUp;
  // The notification area was created anew (the shell restarted) and knows
  // no icons: each must be added again.
  std::function<void()> OnTaskbarCreated;
  // Another copy of the program was started in this session and ended at
  // once, asking this one to come forward (see InstanceClaim).
  std::function<void()> OnOtherInstance;

  Control& operator[](std::u16string_view name);
  // The control named `name` as the type of its kind (CheckBox, TextBox,
  // ...), to be looked up once and kept: it lives as long as the window.
  // Raises kErrObjectNotSet when the design has no control of that name
  // and kind.
  template <class T>
  T& Get(std::u16string_view name) {
    return static_cast<T&>(Find(name, T::kKind));
  }
  std::vector<std::unique_ptr<Control>>& controls() { return controls_; }

  Hwnd hWnd() const;
  std::shared_ptr<Picture> Icon() const { return icon_; }
  // The icon as the notification area shows it: the image of the
  // small-icon size at the screen's dots per inch, not the large one shrunk.
  std::shared_ptr<Picture> SmallIcon() const { return smallIcon_; }
  void Load();  // runs OnLoad once; the window stays hidden unless shown
  void Show();  // not modal
  void Hide();
  bool Visible() const;
  void Unload();  // runs OnUnload once, then the window goes and the program ends
  bool Loaded() const { return loaded_ && !unloaded_; }
  bool Unloaded() const { return unloaded_; }

  // Asks Windows for the keyboard input of the whole session (raw input of
  // the keyboard, also while the window is hidden or another has the
  // focus), reported through OnRawKey. False when Windows refuses.
  bool WatchKeyboard();
  // Asks Windows to report every change of the clipboard (OnClipboardUpdate).
  // False when Windows refuses.
  bool WatchClipboard();
  // The timer: OnTimer about every `ms` milliseconds (Windows delivers no
  // faster than every 10 to 16), until StopTimer; starting it again
  // replaces the interval. No timer runs unless started.
  void StartTimer(std::uint32_t ms);
  void StopTimer();
  // One-shot timers beside the timer above, each by an id of its user's
  // (2 and up): `handler` runs once, `ms` milliseconds later or soon
  // after, unless stopped first; starting an id again replaces its time
  // and handler. None runs once the window has unloaded.
  void StartOnce(std::uint32_t id, std::uint32_t ms, std::function<void()> handler);
  void StopOnce(std::uint32_t id);

  // Subscriptions to the reports of the window's notification-area icons.
  using Subscription = std::list<TrayHandler>::iterator;
  Subscription SubscribeTray(TrayHandler handler);
  void UnsubscribeTray(Subscription s);

  // Called by the backend.
  void NotifyClick(int index);
  void NotifyChange(int index);
  void NotifyTray(std::uint32_t id, std::uint32_t message, Point anchor = {});
  void NotifyOnce(std::uint32_t id);
  void NotifyKeyUp(int keyCode, int shift);
  void NotifyRawKey(const RawKey& key);
  void NotifyClipboardUpdate(std::uint32_t time);
  void NotifyTimer();
  void NotifyTaskbarCreated();
  void NotifyOtherInstance();
  void NotifyCloseRequest();  // close button, Alt+F4, end of session
  FormPeer& peer() { return *peer_; }
  const FormPeer& peer() const { return *peer_; }

 private:
  Control& Find(std::u16string_view name, ControlKind kind);

  FormDesign design_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::unique_ptr<FormPeer> peer_;
  std::shared_ptr<Picture> icon_;
  std::shared_ptr<Picture> smallIcon_;
  std::list<TrayHandler> tray_;
  std::map<std::uint32_t, std::function<void()>> once_;
  std::uint32_t timerMs_ = 0;
  bool loaded_ = false;
  bool unloaded_ = false;
};

// Implemented by each backend.
std::unique_ptr<FormPeer> CreateFormPeer(Form& form, const FormDesign& design);

// Modal message box with an OK button only; returns when dismissed.
// owner: the window it belongs to, or {} for none (the box then has a
// taskbar button of its own). topmost: above every window that is not
// topmost, also where Windows does not let the program take the
// foreground (a program in the background: its taskbar button flashes).
void MsgBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost);

// One copy of the program per user session. The first claim of a name in
// the session holds it until the claim is destroyed or its process ends.
// A later claim of the same name, from any process of the session, holds
// nothing: it asks the holder's window to come forward (the holder's
// Form::OnOtherInstance runs) and its own program should end.
class InstanceClaim {
 public:
  explicit InstanceClaim(const std::u16string& name);
  bool held() const { return held_; }

 private:
  // The backend's token for the claim; each backend gives it up its own way.
  struct TokenTraits {
    using Type = Handle;
    static Type Empty() { return 0; }
    static void Close(Type token);
  };
  Unique<TokenTraits> token_;
  bool held_ = false;
};

// Runs the message loop until the window has gone (real backend only).
int RunMessageLoop();

// The program's own entry, called by the executable's entry point.
int ProgramEntry();

}  // namespace plat
