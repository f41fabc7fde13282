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
    Hwnd window;
    Hdc dc;
    bool operator==(const Type&) const = default;
    // Read as the device context it holds.
    operator Hdc() const { return dc; }
  };
  static Type Empty() { return {}; }
  static void Close(Type h) { ReleaseDC(h.window, h.dc); }
};
using WindowDC = Unique<WindowDcTraits>;
// Takes hWnd's device context; empty when GetDC refuses.
inline WindowDC TakeWindowDC(Hwnd hWnd) {
  const Hdc dc = GetDC(hWnd);
  return WindowDC(dc != Hdc{} ? WindowDcTraits::Type{hWnd, dc} : WindowDcTraits::Empty());
}

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcTraits {
  using Type = Hdc;
  static Type Empty() { return {}; }
  static void Close(Type h) { DeleteDC(h); }
};
using MemoryDC = Unique<MemoryDcTraits>;

// A bitmap, deleted with DeleteObject unless handed on.
struct GdiObjectTraits {
  using Type = Hbitmap;
  static Type Empty() { return {}; }
  static void Close(Type h) { DeleteObject(h); }
};
using GdiObject = Unique<GdiObjectTraits>;

// An object selected into a device context; what it replaced is selected
// back when this ends.
struct SelectionTraits {
  struct Type {
    Hdc dc;
    Hbitmap previous;
    bool operator==(const Type&) const = default;
  };
  static Type Empty() { return {}; }
  static void Close(Type s) { SelectObject(s.dc, s.previous); }
};
using Selection = Unique<SelectionTraits>;
inline Selection SelectInto(Hdc dc, Hbitmap object) {
  return Selection(SelectionTraits::Type{dc, SelectObject(dc, object)});
}

// A block of global memory, locked while this lives (its first byte is
// get().address) and unlocked again at the end.
struct LockedGlobalTraits {
  struct Type {
    Hglobal block;
    const void* address;
    bool operator==(const Type&) const = default;
  };
  static Type Empty() { return {}; }
  static void Close(Type h) { GlobalUnlock(h.block); }
};
using LockedGlobal = Unique<LockedGlobalTraits>;
// Empty when the block cannot be locked (GetLastError tells why).
inline LockedGlobal LockGlobal(Hglobal block) {
  const void* address = GlobalLock(block);
  return LockedGlobal(address ? LockedGlobalTraits::Type{block, address} : LockedGlobalTraits::Empty());
}

// The clipboard, open while this lives: holds OpenClipboard's result.
struct OpenedClipboardTraits {
  using Type = bool;
  static Type Empty() { return false; }
  static void Close(Type) { CloseClipboard(); }
};
using OpenedClipboard = Unique<OpenedClipboardTraits>;

}  // namespace plat
