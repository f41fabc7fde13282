// Simulated clipboard: one open state shared by every program, an owner,
// and contents by format. The program under test is one program; another
// one can be made to hold the clipboard open, and then OpenClipboard fails
// with ERROR_ACCESS_DENIED. Emptying the clipboard, or replacing a format's
// data, destroys the bitmap it held, as Windows does; both also count as a
// change in the clipboard's sequence number.
#include <map>

#include "platform/api.h"
#include "platform/sim/state.h"

namespace sim {

namespace {

struct Clipboard {
  bool open = false;
  bool openByOther = false;
  Handle openWindow = 0;  // the window the clipboard was opened for
  Handle owner = 0;
  std::map<std::uint32_t, Handle> data;
  std::uint32_t sequence = 1;
};

Clipboard& C() {
  static Clipboard c;
  return c;
}

bool OpenByUs() { return C().open && !C().openByOther; }

void Release(std::uint32_t format, Handle h) {
  if (format == plat::kCfBitmap) detail::DestroyClipboardBitmap(h);
}

}  // namespace

namespace detail {
void ResetClipboard() { C() = Clipboard{}; }
}  // namespace detail

void OtherProgramOpensClipboard(Handle owner) {
  C().open = true;
  C().openByOther = true;
  C().openWindow = owner;
}

void OtherProgramClosesClipboard() {
  if (C().openByOther) C().open = C().openByOther = false;
}

bool ClipboardIsOpen() { return C().open; }

Handle ClipboardData(std::uint32_t format) {
  auto it = C().data.find(format);
  return it == C().data.end() ? 0 : it->second;
}

}  // namespace sim

namespace plat {

using sim::detail::Fault;
using sim::detail::Log;

static bool RawOpenClipboard(Handle hWndNewOwner) {
  Log("OpenClipboard(" + std::to_string(hWndNewOwner) + ")");
  auto& c = sim::C();
  // Open already: only the same opener with the same window may open again.
  if (Fault("OpenClipboard") || (c.open && (c.openByOther || c.openWindow != hWndNewOwner))) {
    SetLastError(static_cast<std::uint32_t>(kErrorAccessDenied));
    return false;
  }
  if (c.open) return true;
  c.open = true;
  c.openByOther = false;
  c.openWindow = hWndNewOwner;
  return true;
}

bool EmptyClipboard() {
  Log("EmptyClipboard()");
  if (Fault("EmptyClipboard") || !sim::OpenByUs()) return false;
  auto& c = sim::C();
  for (const auto& [format, h] : c.data) sim::Release(format, h);
  c.data.clear();
  c.owner = c.openWindow;
  ++c.sequence;
  return true;
}

static Handle RawSetClipboardData(std::uint32_t uFormat, Handle hMem) {
  Log("SetClipboardData(" + std::to_string(uFormat) + "," + std::to_string(hMem) + ")");
  if (Fault("SetClipboardData") || !sim::OpenByUs() || hMem == 0) return 0;
  if (uFormat == kCfBitmap && !sim::detail::IsBitmap(hMem)) return 0;
  auto& c = sim::C();
  auto it = c.data.find(uFormat);
  if (it != c.data.end() && it->second != hMem) sim::Release(uFormat, it->second);
  c.data[uFormat] = hMem;
  ++c.sequence;
  if (uFormat == kCfBitmap) sim::detail::GiveBitmapToClipboard(hMem);
  return hMem;
}

bool CloseClipboard() {
  Log("CloseClipboard()");
  if (Fault("CloseClipboard") || !sim::OpenByUs()) return false;
  sim::C().open = false;
  sim::C().openWindow = 0;
  return true;
}

static Handle RawGetClipboardData(std::uint32_t uFormat) {
  Log("GetClipboardData(" + std::to_string(uFormat) + ")");
  if (Fault("GetClipboardData") || !sim::OpenByUs()) return 0;
  return sim::ClipboardData(uFormat);
}

bool IsClipboardFormatAvailable(std::uint32_t format) {
  Log("IsClipboardFormatAvailable(" + std::to_string(format) + ")");
  return sim::ClipboardData(format) != 0;
}

static Handle RawGetClipboardOwner() {
  Log("GetClipboardOwner()");
  return sim::C().owner;
}

std::uint32_t GetClipboardSequenceNumber() {
  Log("GetClipboardSequenceNumber()");
  return sim::C().sequence;
}

// The typed edge of the seam: the handlers above work on the simulated
// platform's own numbering.
bool OpenClipboard(Hwnd hWndNewOwner) { return RawOpenClipboard(RawHandle(hWndNewOwner)); }
Hbitmap SetClipboardData(std::uint32_t uFormat, Hbitmap hMem) {
  return HandleOf<Hbitmap>(RawSetClipboardData(uFormat, RawHandle(hMem)));
}
Hbitmap GetClipboardData(std::uint32_t uFormat) { return HandleOf<Hbitmap>(RawGetClipboardData(uFormat)); }
Hwnd GetClipboardOwner() { return HandleOf<Hwnd>(RawGetClipboardOwner()); }

}  // namespace plat
