// The simulated Windows behind the platform layer, and the controls the
// native tests use to arrange it and look into it: registry, profile files
// in a sandbox folder, environment, key state, the notification area, the
// window, message boxes, graphics and the clipboard, a call log and fault
// injection.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/types.h"

namespace plat {
class Form;
}

namespace sim {

using plat::Handle;
using plat::Hkey;

// Clears every simulated store and points Windows paths ("C:\...") at a
// fresh sandbox folder: "C:\a\b" becomes <sandbox>/C/a/b, with names in
// UTF-8. The narrow form takes a Windows path in UTF-8.
void Reset(const std::filesystem::path& sandbox);
std::filesystem::path HostPath(std::u16string_view windowsPath);
std::filesystem::path HostPath(std::string_view windowsPath);

// ---- call log and fault injection ----
// Every simulated API call appends its name and main arguments.
const std::vector<std::string>& Calls();
void ClearCalls();
std::size_t CountCalls(std::string_view functionName);
// The next `times` calls of the named function fail with `code` (for the
// registry) or with FALSE/0 (for the others), after `after` calls that
// still succeed.
void InjectFault(const std::string& functionName, std::int32_t code, int times = 1, int after = 0);

// ---- files ----
// What the simulated file system keeps of a file beyond its bytes: the
// three times as Windows reports them, and its attributes.
struct FileMeta {
  plat::FileTime creation, lastAccess, lastWrite;
  std::uint32_t attributes;
};
std::optional<FileMeta> FileInfo(std::string_view windowsPath);
// Handles left open by FindFirstFileW and CreateFileW.
std::size_t OpenFindHandles();
std::size_t OpenFileHandles();
// A drive with this many bytes free (nullopt: no limit, the default):
// writes beyond them fail with ERROR_DISK_FULL.
void SetFreeSpace(char drive, std::optional<std::uint64_t> bytes);
// A folder in which files can no longer be created, written or deleted,
// as when its access-control list denies it: ERROR_ACCESS_DENIED.
void DenyWrites(std::string_view windowsFolder, bool deny = true);
// An absolute path with each of its parts in its short (8.3) form.
std::u16string ShortPath(std::u16string_view windowsPath);

// ---- registry ----
// In standard-user mode HKEY_LOCAL_MACHINE refuses any access that writes;
// reading (KEY_READ) stays allowed. Key paths and value names are given
// here in UTF-8 and compared without regard to case. A raw value is the
// bytes the registry keeps, as RegQueryValueExW returns them: a text type
// holds UTF-16 LE, with its terminator only if the writer counted it.
void SetStandardUser(bool on);
void CreateKey(plat::Hkey root, const std::string& path);
// Takes away a key with everything in it, one that every installation
// has included (the per-user Run key of a profile that never had one).
void DeleteKey(plat::Hkey root, const std::string& path);
bool KeyExists(plat::Hkey root, const std::string& path);
struct RawValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  bool operator==(const RawValue&) const = default;
};
void SetRawValue(plat::Hkey root, const std::string& path, const std::string& name, RawValue v);
std::optional<RawValue> GetRawValue(plat::Hkey root, const std::string& path, const std::string& name);
std::size_t OpenKeyHandles();

// ---- application and environment ----
void SetApp(const std::u16string& dir, const std::u16string& exeName);
void SetEnv(const std::u16string& name, std::optional<std::u16string> value);

// ---- keyboard ----
// Queues readings that GetAsyncKeyState(vk) returns in turn; when the
// queue is empty it returns 0 (up).
void QueueKeyState(int vk, std::vector<std::int16_t> readings);

// ---- monitors and the pointer ----
// A display monitor: its rectangle in the desktop's true pixels (the
// primary's top-left at 0,0) and the dots per inch the user set for it.
struct Monitor {
  plat::Rect rect;
  int dpi = 96;
  bool primary = false;
};
// The monitors, the primary among them (the first when none is marked).
// Default: one monitor of 1280 x 1024 at 96 dots per inch. Reset puts the
// pointer at the primary's top-left corner.
void SetMonitors(std::vector<Monitor> monitors);
// Moves the pointer, in true pixels.
void PointerAt(plat::Point p);
// The dots-per-inch awareness the program declares, as its manifest
// (resources/varnel.manifest.in) states it: Windows reads it at start.
// A program aware of each monitor's dots per inch reads every coordinate
// in true pixels; one that is not reads a monitor at another dots per
// inch than the system's (the primary's for a program aware of that one,
// else 96) scaled to it, its size and the pointer's place on it. Tests
// may state another.
enum class DpiAwareness { Unaware, System, PerMonitor };
DpiAwareness DeclaredDpiAwareness();
void SetDpiAwareness(std::optional<DpiAwareness> awareness);  // nullopt: the manifest's

// ---- notification area ----
struct TrayCall {
  std::uint32_t message;
  plat::NotifyIconDataW record;  // as handed over
  bool result;
};
const std::vector<TrayCall>& TrayCalls();
bool TrayIconPresent();
// The icon's version (0 until NIM_SETVERSION after its add) and the tip a
// user hovering over it sees (none under version 4 without NIF_SHOWTIP).
std::uint32_t TrayIconVersion();
std::u16string TrayTipShown();
// Every balloon the notification area took, in order.
struct Balloon {
  std::u16string title, text;
  std::uint32_t flags;  // kNiifInfo, kNiifNoSound
};
const std::vector<Balloon>& Balloons();
// NIM_SETFOCUS calls the notification area took.
std::size_t TrayFocusReturns();
// The next add is taken, but its answer comes too late: the call fails.
void NextTrayAddTimesOut();

// ---- shell execution, special folders and the folder dialog ----
// Texts given and reported here are UTF-8.
struct ShellExecution {
  Handle hwnd;
  std::string verb, file, parameters, directory;
  int show;
  Handle result;
};
// Every ShellExecuteA and ShellExecuteW call, the ANSI ones converted.
// Results as Windows gives them: kSeErrFileNotFound when nothing stands
// under the name; for a folder the verbs "open" and "explore" (or none)
// succeed; for a file only "open" (or none), and only for the kinds that
// have a handler (.jpg, .jpeg, .bmp, .png, .txt, and .exe, which then runs);
// anything else is kSeErrNoAssoc. A name with a protocol ("ms-settings:...")
// is taken by its handler.
const std::vector<ShellExecution>& ShellExecutions();
// Runs during each ShellExecute call, like the message loop in which the
// shell may start a file's handler (DDE, or a packaged app's activation).
void WhileShellExecuting(std::function<void()> action);
// Where SHGetFolderPathW finds a special folder (kCsidl...). By default the
// desktop is C:\Users\user\Desktop and the application data
// C:\Users\user\AppData\Roaming, both made by Reset; a folder set here is
// not created.
void SetShellFolder(int csidl, const std::u16string& path);
// What the user does in the next folder dialogs: a chosen path, or
// nullopt to cancel. Without an answer queued the dialog is cancelled.
void QueueFolderDialogAnswer(std::optional<std::string> path);
struct FolderDialogCall {
  Handle owner;
  std::string title;
  std::uint32_t flags;
  bool rootIsDesktop, displayNameRequested, callback;
};
const std::vector<FolderDialogCall>& FolderDialogs();
// What the user does in the next save dialogs: the name typed in its name
// box (a bare name goes to the folder the dialog shows, a full path where
// it says) and the type chosen (nullopt: as offered), or nullopt to
// cancel. Without an answer queued the dialog is cancelled.
struct SaveDialogAnswer {
  std::optional<std::string> typed;
  std::optional<std::size_t> type = std::nullopt;
};
void QueueSaveDialogAnswer(SaveDialogAnswer answer);
struct SaveDialogCall {
  Handle owner;
  std::string folder, fileName;    // the folder the dialog shows, the name proposed
  std::vector<std::string> types;  // "PNG (*.png)"
  std::size_t type;
};
const std::vector<SaveDialogCall>& SaveDialogs();
// Item identifier lists handed out and not yet freed.
std::size_t LiveItemLists();
// A list for a folder's path, as the shell makes one (freed with
// CoTaskMemFree).
Handle ItemListFor(const std::u16string& path);

// ---- the window ----
// The form whose peer was created last (the program has one window).
plat::Form* CurrentForm();
bool WindowDestroyed();
// User actions, delivered as the real window delivers them. A click (on
// anything but a label) and typing give the control the keyboard focus.
void UserClick(const std::u16string& control);
void UserType(const std::u16string& control, const std::u16string& text);
void KeyUp(int keyCode, int shift = 0);
// Enter and Escape press the default and the cancel button.
void PressEnter();
void PressEscape();
// A real mouse movement over the window, at a point of its client area.
void MouseMovePixels(int x, int y);
// The window is moved to a monitor of `dpi` dots per inch (or the scale of
// its monitor changes), its frame's top left to `origin`. A per-monitor
// aware window is then told, and must lay itself out again: "The current
// DPI for a window always equals the last DPI sent by WM_DPICHANGED. This
// is the scale factor that the window should be scaling to" and lParam is
// "a suggested size and position of the current window scaled for the new
// DPI. The expectation is that apps will reposition and resize windows
// based on the suggestions provided by lParam" (learn.microsoft.com,
// WM_DPICHANGED message). Wine sends it for no move.
void WindowMovedToDpi(int dpi, plat::Point origin);
// What the shell sends the owner of the notification-area icon with id 1:
// a mouse message, or a balloon's (kNinBalloonUserClick), laid out as the
// icon's version asks: under version 4 the message and the id in lParam
// and the anchor in wParam; before it the id in wParam and the message in
// lParam, anchor-less.
void ShellTrayMessage(std::uint32_t message, plat::Point anchor = {});
// A report laid out as version 4 lays it out, about the icon `id`,
// whatever the icon's version.
void ShellTrayReport(std::uint32_t id, std::uint32_t message, plat::Point anchor);
// What the user does on the icon, as the reports the shell sends for it
// (version 4 adds NIN_SELECT after a left click and WM_CONTEXTMENU after a
// right one; the keys send only version 4's reports): a click, a
// double-click, Enter or Space on the icon, Shift+F10 or the menu key.
enum class TrayGesture { LeftClick, LeftDoubleClick, RightClick, RightDoubleClick, EnterKey, MenuKey };
void UserTrayGesture(TrayGesture gesture, plat::Point anchor = {1200, 1000});
// The double-click time GetDoubleClickTime reports (Windows' default).
inline constexpr std::uint32_t kDoubleClickMs = 500;

// ---- pop-up menus ----
// A menu as TrackPopupMenuEx showed it: its items (a separator has id 0
// and no caption), the default item, where, and whether its owner was the
// foreground window then. "To display a context menu for a notification
// icon, the current window must be the foreground window before the
// application calls TrackPopupMenu or TrackPopupMenuEx. Otherwise, the
// menu will not disappear when the user clicks outside of the menu or the
// window that created the menu (if it is visible)." (learn.microsoft.com,
// TrackPopupMenu function, Remarks.) Wine closes it either way.
struct MenuItem {
  std::uint32_t id;
  std::u16string caption;
  bool grayed;
};
struct MenuShown {
  std::vector<MenuItem> items;
  std::uint32_t defaultId;  // 0xFFFFFFFF: none
  plat::Point at;
  std::uint32_t flags;
  bool ownerInFront;
};
const std::vector<MenuShown>& MenusShown();
// What the user does in the next menus: chooses the item with this caption
// (one that is greyed cannot be chosen: the menu is left), or leaves the
// menu with Escape or by clicking elsewhere. Without an answer queued the
// menu is left with Escape.
struct MenuAnswer {
  enum class Kind { Choose, Escape, ClickElsewhere } kind;
  std::u16string caption;
};
void QueueMenuAnswer(MenuAnswer answer);
// Menus not yet destroyed.
std::size_t LiveMenus();
// Explorer ends and starts again: the notification area forgets every
// icon, then the shell broadcasts that it was created anew.
void ExplorerRestarts();
// Keyboard input of the session: a key going down (again, while held: the
// keyboard's repeat) or up. Queued for the window when it watches the
// keyboard (WatchKeyboard), and delivered by Pump or Tick.
void RawKey(int vk, bool down);
// The same key sent by a program (SendInput, an on-screen keyboard, a
// remote session's client), with the scan code it gives: mostly none.
void SentKey(int vk, bool down, std::uint16_t scanCode = 0, bool e0 = false);
// A key the keyboard lets go of where Windows tells the program nothing:
// on the secure desktop (Ctrl+Alt+Del), or over an elevated window.
void KeyReleasedUnheard(int vk);
// Delivers what is queued for the window, as the message loop takes it:
// posted messages (clipboard reports) before input, every time.
void Pump();
// 16 ms pass (kTickMs): what is queued is delivered, then the timer's tick
// when the timer runs and its interval has passed.
void Tick(int count = 1);
// Ticks of the timer delivered to the window since the last Reset.
std::size_t TimerTicks();
// Whether the window watches the keyboard and the clipboard, and the
// timer's interval (0: stopped).
bool WatchingKeyboard();
bool WatchingClipboard();
std::uint32_t TimerInterval();
void CloseRequest();
void EndSession();

// ---- message boxes ----
struct MessageBoxCall {
  std::u16string prompt, title;
  Handle owner;  // 0: none, a box with its own taskbar button
  bool topmost;
  // The user sees it: in front of the window the user works in, and not
  // owned by a hidden window (which gives it no taskbar button either).
  bool seen;
  // A task dialog's buttons, in order; empty for a message box (OK alone).
  std::vector<std::u16string> buttons = {};
};
// Message boxes and task dialogs, in the order they opened.
const std::vector<MessageBoxCall>& MessageBoxes();
// The button the user presses in the next task dialog, by its caption.
// Without an answer queued, the dialog's last button is pressed.
void QueueTaskBoxAnswer(std::u16string button);
// Runs while a message box is open, like the modal loop that keeps
// dispatching timer ticks.
void WhileMessageBoxOpen(std::function<void()> action);

// ---- the foreground ----
// Windows lets a program bring its window to the front only while it is
// the foreground program, was just started by it, or received the last
// input event; otherwise its taskbar button flashes. After Reset Varnel
// was just started; keyboard input to another program, or this, puts
// another program in front.
void AnotherProgramInFront();
bool VarnelInFront();
std::size_t TaskbarFlashes();

// ---- graphics and clipboard ----
// Pixels are given and reported as 0x00RRGGBB; x and y count from the top
// left of the picture, whatever the bitmap's row order in memory.
//
// Device contexts and bitmaps alive now: every memory or window device
// context not yet deleted or released, and every bitmap not yet deleted
// (including one whose deletion waits until it is no longer selected),
// leaving out stock objects and bitmaps that belong to the clipboard.
std::size_t LiveGdiObjects();
// The screen behind the desktop's device context (32 bits a pixel).
// Default: 1280 x 1024, black.
void SetScreen(std::int32_t width, std::int32_t height,
               const std::function<std::uint32_t(std::int32_t x, std::int32_t y)>& rgb);
std::uint32_t ScreenPixel(std::int32_t x, std::int32_t y);
// A pixel of any live bitmap; nullopt for a handle that is no bitmap or a
// point outside it.
std::optional<std::uint32_t> BitmapPixel(Handle bitmap, std::int32_t x, std::int32_t y);
// Bits a pixel of a live bitmap, 0 for a handle that is no bitmap.
int BitmapBitsPixel(Handle bitmap);
Handle DesktopWindow();

// ---- time of day ----
// Fixes what Timer() returns (seconds since midnight); nullopt goes back to
// the machine's clock.
void SetTimeOfDay(std::optional<float> seconds);
// Fixes what Now() returns; nullopt goes back to the machine's clock.
void SetNow(std::optional<plat::LocalTime> now);
// GetTickCount(): starts at kBootUptimeMs, and moves by kTickMs with every
// Tick() (the interval at which Windows delivers a 1 ms timer) and when a
// test moves it.
inline constexpr std::uint32_t kBootUptimeMs = 3600000;
inline constexpr std::uint32_t kTickMs = 16;
void AdvanceTickCount(std::uint32_t ms);

// The version RtlGetVersion reports; Reset makes it Windows 10 22H2.
inline constexpr plat::OsVersionInfo kWindows10{10, 0, 19045};
inline constexpr plat::OsVersionInfo kWindows11{10, 0, 22631};
void SetWindowsVersion(plat::OsVersionInfo version);

// Another program opens the clipboard (for the window `owner`, 0 for none)
// and keeps it open until it closes it again.
void OtherProgramOpensClipboard(Handle owner = 0);
void OtherProgramClosesClipboard();
// Another program empties the clipboard and offers a bitmap it renders
// only when a program first asks for it (delayed rendering): `render`
// makes it then, and the sequence number changes again.
void OtherProgramPutsDelayedPicture(std::function<Handle()> render);
bool ClipboardIsOpen();
// What the clipboard holds in a format, 0 for nothing.
Handle ClipboardData(std::uint32_t format);
// The clipboard's text (kCfUnicodeText) up to its NUL; nullopt for none.
std::optional<std::u16string> ClipboardText();
// Global memory blocks alive now that do not belong to the clipboard.
std::size_t LiveGlobals();

}  // namespace sim
