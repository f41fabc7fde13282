// The real backend's part of the file services: the current directory.
#include "platform/files.h"

#include "platform/error.h"
#include "platform/win32/win.h"

namespace plat {

void ChDir(const std::u16string& path) {
  if (path.empty() || !::SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(path.c_str()))) Raise(kErrPathNotFound);
}

}  // namespace plat
