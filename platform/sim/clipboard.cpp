// Simulated clipboard: one open state shared by every program, an owner,
// and contents by format. The program under test is one program; another
// one can be made to hold the clipboard open, and then OpenClipboard fails
// with ERROR_ACCESS_DENIED. Emptying the clipboard, or replacing a format's
// data, destroys the bitmap or frees the memory it held, as Windows does;
// both also count as a change in the clipboard's sequence number. A picture
// put as a bitmap is offered as a packed picture too and the other way
// round, made from it when first asked for, as Windows does.
#include <algorithm>
#include <functional>
#include <map>
#include <utility>

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
  bool changed = false;  // since it was opened: reported when it is closed
  // The owner's rendering of a bitmap put without data (delayed rendering),
  // until it is first asked for.
  std::function<Handle()> render;
};

Clipboard& C() {
  static Clipboard c;
  return c;
}

bool OpenByUs() { return C().open && !C().openByOther; }

void Release(std::uint32_t format, Handle h) {
  if (h == 0) return;  // not rendered
  if (format == plat::kCfBitmap)
    detail::DestroyClipboardBitmap(h);
  else
    detail::FreeClipboardGlobal(h);
}

bool Has(std::uint32_t format) { return C().data.count(format) != 0; }

// The picture in the other of the two forms, made now (without counting as
// a change) when only one was put.
Handle Synthesized(std::uint32_t format) {
  auto& data = C().data;
  if (format == plat::kCfDib && Has(plat::kCfBitmap)) {
    auto packed = detail::PackedDibOf(data[plat::kCfBitmap]);
    if (!packed) return 0;
    const Handle block = detail::NewGlobal(std::move(*packed));
    detail::GiveGlobalToClipboard(block);
    return data[format] = block;
  }
  if (format == plat::kCfBitmap && Has(plat::kCfDib)) {
    const auto* packed = detail::GlobalBytes(data[plat::kCfDib]);
    const Handle bitmap = packed ? detail::BitmapOfPackedDib(*packed) : 0;
    if (bitmap) data[format] = bitmap;
    return bitmap;
  }
  return 0;
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

void OtherProgramPutsDelayedPicture(std::function<Handle()> render) {
  auto& c = C();
  for (const auto& [format, h] : c.data) Release(format, h);
  c.data.clear();
  c.data[plat::kCfBitmap] = 0;
  c.render = std::move(render);
  c.owner = 0x778;
  ++c.sequence;  // the emptying; the picture counts once it is rendered
  detail::ClipboardChanged();
}

void OtherProgramClosesClipboard() {
  if (C().openByOther) C().open = C().openByOther = false;
}

bool ClipboardIsOpen() { return C().open; }

Handle ClipboardData(std::uint32_t format) {
  auto it = C().data.find(format);
  return it == C().data.end() ? 0 : it->second;
}

std::optional<std::u16string> ClipboardText() {
  const auto* bytes = detail::GlobalBytes(ClipboardData(plat::kCfUnicodeText));
  if (!bytes) return std::nullopt;
  std::u16string text(bytes->size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>((*bytes)[2 * i] | ((*bytes)[2 * i + 1] << 8));
  return text.substr(0, text.find(u'\0'));
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
  c.render = nullptr;
  c.owner = c.openWindow;
  ++c.sequence;
  c.changed = true;
  return true;
}

static Handle RawSetClipboardData(std::uint32_t uFormat, Handle hMem) {
  Log("SetClipboardData(" + std::to_string(uFormat) + "," + std::to_string(hMem) + ")");
  if (Fault("SetClipboardData") || !sim::OpenByUs() || hMem == 0) return 0;
  if (uFormat == kCfBitmap && !sim::detail::IsBitmap(hMem)) return 0;
  if (uFormat == kCfDib && !sim::detail::IsGlobal(hMem)) return 0;
  auto& c = sim::C();
  auto it = c.data.find(uFormat);
  if (it != c.data.end() && it->second != hMem) sim::Release(uFormat, it->second);
  c.data[uFormat] = hMem;
  ++c.sequence;
  c.changed = true;
  if (uFormat == kCfBitmap) sim::detail::GiveBitmapToClipboard(hMem);
  if (uFormat != kCfBitmap && sim::detail::IsGlobal(hMem)) sim::detail::GiveGlobalToClipboard(hMem);
  return hMem;
}

bool CloseClipboard() {
  Log("CloseClipboard()");
  if (Fault("CloseClipboard") || !sim::OpenByUs()) return false;
  sim::C().open = false;
  sim::C().openWindow = 0;
  // As Windows does, listeners hear of the changes once the clipboard closes.
  if (std::exchange(sim::C().changed, false)) sim::detail::ClipboardChanged();
  return true;
}

static Handle RawGetClipboardData(std::uint32_t uFormat) {
  Log("GetClipboardData(" + std::to_string(uFormat) + ")");
  if (Fault("GetClipboardData") || !sim::OpenByUs()) return 0;
  if (!sim::Has(uFormat)) return sim::Synthesized(uFormat);
  auto& c = sim::C();
  if (c.data[uFormat] == 0 && uFormat == kCfBitmap && c.render) {
    // The owner renders it now (WM_RENDERFORMAT): "If clipboard rendering
    // is delayed, the sequence number is not incremented until the changes
    // are rendered." (learn.microsoft.com, GetClipboardSequenceNumber.)
    const Handle bitmap = std::exchange(c.render, nullptr)();
    if (!sim::detail::IsBitmap(bitmap)) return 0;
    sim::detail::GiveBitmapToClipboard(bitmap);
    c.data[uFormat] = bitmap;
    ++c.sequence;
    c.changed = true;
  }
  return sim::ClipboardData(uFormat);
}

bool IsClipboardFormatAvailable(std::uint32_t format) {
  Log("IsClipboardFormatAvailable(" + std::to_string(format) + ")");
  if (format == kCfBitmap || format == kCfDib) return sim::Has(kCfBitmap) || sim::Has(kCfDib);
  return sim::Has(format);
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
Handle SetClipboardData(std::uint32_t uFormat, Handle hMem) { return RawSetClipboardData(uFormat, hMem); }
Handle GetClipboardData(std::uint32_t uFormat) { return RawGetClipboardData(uFormat); }
Hwnd GetClipboardOwner() { return HandleOf<Hwnd>(RawGetClipboardOwner()); }

}  // namespace plat
