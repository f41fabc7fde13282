// What the tests of the image buffer need from the desktop they run on,
// the same on both backends: message boxes that close themselves, another
// program holding the clipboard, and a count of graphics objects.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plat::testing {

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
