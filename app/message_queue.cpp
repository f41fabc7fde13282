#include "app/message_queue.h"

#include <utility>

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/unique.h"

namespace varnel {

void MessageQueue::Show(const std::u16string& prompt, const std::u16string& title, bool showWindow) {
  waiting_.push_back({prompt, title, showWindow, {}, {}});
  ShowWaiting();
}

void MessageQueue::Ask(const std::u16string& prompt, const std::u16string& title, bool showWindow,
                       std::vector<std::u16string> buttons, Answer answer) {
  waiting_.push_back({prompt, title, showWindow, std::move(buttons), std::move(answer)});
  ShowWaiting();
}

plat::Hwnd MessageQueue::Owner() const {
  // A capture's message comes while the user works in another program,
  // which Windows does not let Varnel push aside: the box is topmost, so
  // that it stands in front all the same. It belongs to the window where
  // that is shown with it, and otherwise to no window, so that it has a
  // taskbar button of its own instead of hiding with the hidden window.
  return form_.Visible() ? form_.hWnd() : plat::Hwnd{};
}

void MessageQueue::ShowWaiting() {
  if (open_) return;
  open_ = true;
  const plat::ScopeExit closed([this] { open_ = false; });
  while (!waiting_.empty()) {
    const Message m = std::move(waiting_.front());
    waiting_.pop_front();
    if (m.buttons.empty()) {
      if (m.showWindow) plat::Attempt([&] { form_.Show(); });
      const plat::Hwnd owner = Owner();
      plat::Attempt([&] { plat::MsgBox(m.prompt, m.title, owner, true); });
      continue;
    }
    // What a choice stands for (a picture kept) is gone with the window.
    if (form_.Unloaded()) continue;
    if (m.showWindow) plat::Attempt([&] { form_.Show(); });
    for (bool done = false; !done && !form_.Unloaded();) {
      const plat::Hwnd owner = Owner();
      std::size_t pressed = m.buttons.size() - 1;
      plat::Attempt([&] { pressed = plat::TaskBox(m.prompt, m.title, owner, true, m.buttons); });
      // A session that ended meanwhile decided for the user.
      done = form_.Unloaded() || m.answer(pressed, owner);
    }
  }
}

}  // namespace varnel
