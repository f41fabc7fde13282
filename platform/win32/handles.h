// Internal to the real backend: the conversions between the seam's typed
// handles and the Windows types, and the kernel handles it owns, one
// alias per kind over plat::Unique.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unique.h"
#include "platform/win32/win.h"

namespace plat::win32 {

// A seam handle as the Windows type W (HDC, HKEY, ...).
template <class W, class H>
W To(H h) {
  return reinterpret_cast<W>(static_cast<std::uintptr_t>(h));
}
// A Windows handle as the seam's type H (Hdc, Hkey, ...).
template <class H, class W>
H From(W w) {
  return static_cast<H>(reinterpret_cast<std::uintptr_t>(w));
}

// An open file: CreateFileW's failure value is INVALID_HANDLE_VALUE.
struct FileTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
using UniqueFile = Unique<FileTraits>;

}  // namespace plat::win32
