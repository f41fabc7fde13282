// The program's messages to the user, shown one at a time and in order.
// A message box runs a message loop of its own, in which Windows' reports
// keep coming: a message asked for then waits until the open one is
// closed, and is never shown over it.
#pragma once

#include <deque>
#include <string>

#include "platform/toolkit.h"

namespace varnel {

class MessageQueue {
 public:
  // `form`: the program's window, which outlives the queue.
  explicit MessageQueue(plat::Form& form) : form_(form) {}

  // Shows the message now, or once the one open is closed; `showWindow`
  // shows the window first.
  void Show(const std::u16string& prompt, const std::u16string& title, bool showWindow);
  // Shows what waits, where no message is open.
  void ShowWaiting();

 private:
  struct Message {
    std::u16string prompt, title;
    bool showWindow;
  };
  plat::Form& form_;
  std::deque<Message> waiting_;
  bool open_ = false;  // a message is open now
};

}  // namespace varnel
