// Owners of the graphics handles the program borrows for the length of an
// operation, one plat::Unique per kind: each gives its handle back on
// every way out, in the reverse order of taking, with the platform call
// that fits it. Selections and the open clipboard are states left again
// when their owner ends.
#pragma once

#include "platform/api.h"
#include "platform/unique.h"

namespace plat {

// A window's device context from GetDC, given back with ReleaseDC, which
// needs the window too.
struct WindowDcTraits {
  struct Type {
    Handle window;
    Handle dc;
    bool operator==(const Type&) const = default;
    // Read as the device context it holds.
    operator Handle() const { return dc; }
  };
  static Type Empty() { return {}; }
  static void Close(Type h) { ReleaseDC(h.window, h.dc); }
};
using WindowDC = Unique<WindowDcTraits>;
// Takes hWnd's device context; empty when GetDC refuses.
inline WindowDC TakeWindowDC(Handle hWnd) {
  const Handle dc = GetDC(hWnd);
  return WindowDC(dc != 0 ? WindowDcTraits::Type{hWnd, dc} : WindowDcTraits::Empty());
}

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcTraits {
  using Type = Handle;
  static Type Empty() { return 0; }
  static void Close(Type h) { DeleteDC(h); }
};
using MemoryDC = Unique<MemoryDcTraits>;

// A bitmap or other object, deleted with DeleteObject unless handed on.
struct GdiObjectTraits {
  using Type = Handle;
  static Type Empty() { return 0; }
  static void Close(Type h) { DeleteObject(h); }
};
using GdiObject = Unique<GdiObjectTraits>;

// An object selected into a device context; what it replaced is selected
// back when this ends.
struct SelectionTraits {
  struct Type {
    Handle dc;
    Handle previous;
    bool operator==(const Type&) const = default;
  };
  static Type Empty() { return {}; }
  static void Close(Type s) { SelectObject(s.dc, s.previous); }
};
using Selection = Unique<SelectionTraits>;
inline Selection SelectInto(Handle dc, Handle object) {
  return Selection(SelectionTraits::Type{dc, SelectObject(dc, object)});
}

// The clipboard, open while this lives: holds OpenClipboard's result.
struct OpenedClipboardTraits {
  using Type = bool;
  static Type Empty() { return false; }
  static void Close(Type) { CloseClipboard(); }
};
using OpenedClipboard = Unique<OpenedClipboardTraits>;

}  // namespace plat
