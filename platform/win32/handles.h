// Internal to the real backend: the kernel handles it owns, one alias per
// kind over plat::Unique.
#pragma once

#include "platform/unique.h"
#include "platform/win32/win.h"

namespace plat::win32 {

// An open file: CreateFileW's failure value is INVALID_HANDLE_VALUE.
struct FileTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
using UniqueFile = Unique<FileTraits>;

}  // namespace plat::win32
