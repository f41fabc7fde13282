// Owners of the graphics handles the program borrows for the length of an
// operation: each gives its handle back on every way out, in the reverse
// order of taking, with the platform call that fits it.
#pragma once

#include "platform/api.h"

namespace plat {

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(Handle hWnd) : hWnd_(hWnd), dc_(GetDC(hWnd)) {}
  ~WindowDC() { Release(); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  Handle get() const { return dc_; }
  // Gives the context back early.
  void Release() {
    if (dc_ != 0) ReleaseDC(hWnd_, dc_);
    dc_ = 0;
  }

 private:
  Handle hWnd_;
  Handle dc_;
};

// A memory device context, deleted with DeleteDC.
class MemoryDC {
 public:
  explicit MemoryDC(Handle compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_ != 0) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  Handle get() const { return dc_; }

 private:
  Handle dc_;
};

// A bitmap or other object, deleted with DeleteObject unless handed on.
class GdiObject {
 public:
  explicit GdiObject(Handle h) : h_(h) {}
  ~GdiObject() {
    if (h_ != 0) DeleteObject(h_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle get() const { return h_; }
  // The object now belongs elsewhere.
  Handle release() {
    Handle h = h_;
    h_ = 0;
    return h;
  }

 private:
  Handle h_;
};

// An object selected into a device context; what it replaced is selected
// back when this ends.
class Selection {
 public:
  Selection(Handle dc, Handle object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  Handle dc_;
  Handle previous_;
};

// The clipboard, open for a window (0 for none) while this lives.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(Handle owner) : open_(OpenClipboard(owner)) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_;
};

}  // namespace plat
