// What the tests of the image buffer and the window need from the desktop
// they run on, the same on both backends: message boxes that close
// themselves, another program holding the clipboard, a count of graphics
// objects, keyboard input, and a message loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {
class Form;
}

namespace plat::testing {

// A key of the keyboard going down or up, as input of the whole session
// (SendInput on Windows).
void SendKey(int vk, bool down);
// The same with the scan code a keyboard sends for it, and its E0 prefix.
void SendKey(int vk, bool down, std::uint16_t scanCode, bool e0);
// Lets this thread's windows handle what Windows has for them, for about
// `ms` milliseconds (the simulated machine delivers everything queued at
// once, and lets ms pass on its clock).
void PumpMessages(std::uint32_t ms);
// Posts to a window what the shell posts about its notification-area icon
// (the program's own message, laid out as version 4 of the icon lays it
// out), and what a mouse moving over its client area at (x, y) in pixels
// gives it.
void PostTrayReport(Hwnd window, std::uint32_t id, std::uint32_t message, Point anchor = {});
void PostMouseMove(Hwnd window, int x, int y);
// A user's click on the button or box of a window named `name`: the mouse's
// press gives it the keyboard focus, its release clicks it.
void ClickControl(Form& form, const std::u16string& name);
// The window moves to a monitor of `dpi` dots per inch, its frame's top
// left to `origin`: Windows tells it by WM_DPICHANGED, with the rectangle
// it suggests there (the frame scaled with the dpi).
void MoveToMonitorOfDpi(Form& form, int dpi, Point origin);

// Graphics objects and device contexts the program holds now, where the
// platform can tell (the simulated one can; Wine cannot).
std::optional<std::size_t> LiveGdiObjects();

struct ShownMessageBox {
  std::u16string prompt;
  std::u16string title;
};

// While one lives, every message box the program shows is closed at once,
// as if OK were pressed, and recorded.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher();
  ~MessageBoxCatcher();
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
  std::vector<ShownMessageBox> Shown() const;

 private:
  std::size_t first_ = 0;
};

// While one lives, a test may bring a window of its own to the front; when
// it goes, the window that was in front before is brought back. On a bare
// X display nothing else comes to the front once the test's window has
// gone, and Wine then hands keyboard input to no program (raw input
// included), which the later tests of the run would miss.
class FrontWindowKeeper {
 public:
  FrontWindowKeeper();
  ~FrontWindowKeeper();
  FrontWindowKeeper(const FrontWindowKeeper&) = delete;
  FrontWindowKeeper& operator=(const FrontWindowKeeper&) = delete;

 private:
  Handle front_ = 0;
};

// While one lives, another program keeps the clipboard open.
class ClipboardHolder {
 public:
  ClipboardHolder();
  ~ClipboardHolder();
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;
  bool holding() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::testing
