// The program's messages to the user, shown one at a time and in order.
// A message box runs a message loop of its own, in which Windows' reports
// keep coming: a message asked for then waits until the open one is
// closed, and is never shown over it.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace varnel {

class MessageQueue {
 public:
  // `form`: the program's window, which outlives the queue.
  explicit MessageQueue(plat::Form& form) : form_(form) {}

  // What a message with buttons does with the one pressed (its index),
  // while the message still stands: `owner` is the window the message
  // belonged to, for what opens over it. True when the message is done;
  // false shows it again.
  using Answer = std::function<bool(std::size_t button, plat::Hwnd owner)>;

  // Shows the message now, or once the one open is closed; `showWindow`
  // shows the window first.
  void Show(const std::u16string& prompt, const std::u16string& title, bool showWindow);
  // The same with buttons of its own (a task dialog), until `answer` is
  // done with it. Once the window has unloaded, it is dropped unshown.
  void Ask(const std::u16string& prompt, const std::u16string& title, bool showWindow,
           std::vector<std::u16string> buttons, Answer answer);
  // Shows what waits, where no message is open.
  void ShowWaiting();
  // The owner of a message opening now.
  plat::Hwnd Owner() const;

 private:
  struct Message {
    std::u16string prompt, title;
    bool showWindow;
    std::vector<std::u16string> buttons;  // none: OK alone
    Answer answer;
  };
  plat::Form& form_;
  std::deque<Message> waiting_;
  bool open_ = false;  // a message is open now
};

}  // namespace varnel
