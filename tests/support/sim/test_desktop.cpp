// The tests' desktop on the simulated platform: its message-box record,
// its clipboard held by another program, and its count of graphics objects.
#include "tests/support/test_desktop.h"

#include "platform/sim/sim.h"

namespace plat::testing {

std::optional<std::size_t> LiveGdiObjects() { return sim::LiveGdiObjects(); }

void SendKey(int vk, bool down) { sim::RawKey(vk, down); }
void SendKey(int vk, bool down, std::uint16_t scanCode, bool e0) { sim::SentKey(vk, down, scanCode, e0); }
void PumpMessages(std::uint32_t ms) {
  sim::Pump();
  sim::Tick(static_cast<int>(ms / sim::kTickMs));
}
void PostTrayReport(Hwnd, std::uint32_t id, std::uint32_t message, Point anchor) {
  sim::ShellTrayReport(id, message, anchor);
}
void PostMouseMove(Hwnd, int x, int y) { sim::MouseMovePixels(x, y); }
void ClickControl(Form&, const std::u16string& name) { sim::UserClick(name); }
void MoveToMonitorOfDpi(Form&, int dpi, Point origin) { sim::WindowMovedToDpi(dpi, origin); }

MessageBoxCatcher::MessageBoxCatcher() : first_(sim::MessageBoxes().size()) {}
MessageBoxCatcher::~MessageBoxCatcher() = default;

std::vector<ShownMessageBox> MessageBoxCatcher::Shown() const {
  std::vector<ShownMessageBox> out;
  const auto& all = sim::MessageBoxes();
  for (std::size_t i = first_; i < all.size(); ++i) out.push_back({all[i].prompt, all[i].title});
  return out;
}

// The simulated machine has no window in front to lose.
FrontWindowKeeper::FrontWindowKeeper() = default;
FrontWindowKeeper::~FrontWindowKeeper() = default;

struct ClipboardHolder::Impl {};

ClipboardHolder::ClipboardHolder() { sim::OtherProgramOpensClipboard(0x30030); }
ClipboardHolder::~ClipboardHolder() { sim::OtherProgramClosesClipboard(); }
bool ClipboardHolder::holding() const { return sim::ClipboardIsOpen(); }

}  // namespace plat::testing
