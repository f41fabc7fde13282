// The real backend of the JPEG library: the finished file goes to disk
// through kernel32; a write that fails part-way removes what it created.
#include <algorithm>

#include "platform/jpeg_backend.h"
#include "platform/win32/win.h"

namespace plat::jpeg_backend {

IJLERR OnInit() { return IJL_OK; }
IJLERR OnWrite(const JPEG_CORE_PROPERTIES&, IJLIOTYPE) { return IJL_OK; }
void OnFree() {}

IJLERR WriteWholeFile(const char* ansiName, const std::uint8_t* data, std::size_t size) {
  HANDLE h = ::CreateFileA(ansiName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return ::GetLastError() == ERROR_INVALID_NAME ? IJL_INVALID_FILENAME : IJL_FILE_ERROR;
  bool ok = true;
  while (ok && size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    ok = ::WriteFile(h, data, chunk, &written, nullptr) && written == chunk;
    data += chunk;
    size -= chunk;
  }
  ok = ::CloseHandle(h) && ok;
  if (!ok) {
    ::DeleteFileA(ansiName);
    return IJL_FILE_ERROR;
  }
  return IJL_OK;
}

}  // namespace plat::jpeg_backend
