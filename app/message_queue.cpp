#include "app/message_queue.h"

#include <utility>

#include "platform/error.h"
#include "platform/unique.h"

namespace varnel {

void MessageQueue::Show(const std::u16string& prompt, const std::u16string& title, bool showWindow) {
  waiting_.push_back({prompt, title, showWindow});
  ShowWaiting();
}

void MessageQueue::ShowWaiting() {
  if (open_) return;
  open_ = true;
  const plat::ScopeExit closed([this] { open_ = false; });
  while (!waiting_.empty()) {
    const Message m = std::move(waiting_.front());
    waiting_.pop_front();
    if (m.showWindow) plat::Attempt([&] { form_.Show(); });
    // A capture's message comes while the user works in another program,
    // which Windows does not let Varnel push aside: the box is topmost, so
    // that it stands in front all the same. It belongs to the window where
    // that is shown with it, and otherwise to no window, so that it has a
    // taskbar button of its own instead of hiding with the hidden window.
    const plat::Hwnd owner = form_.Visible() ? form_.hWnd() : plat::Hwnd{};
    plat::Attempt([&] { plat::MsgBox(m.prompt, m.title, owner, true); });
  }
}

}  // namespace varnel
