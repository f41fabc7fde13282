// Whole-file writes through kernel32; a write that fails part-way removes
// what it created.
#include "platform/file_write.h"

#include <algorithm>

#include "platform/win32/win.h"

namespace plat::detail {

WriteResult WriteWholeFile(const char* ansiName, std::initializer_list<Bytes> pieces) {
  HANDLE h = ::CreateFileA(ansiName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return ::GetLastError() == ERROR_INVALID_NAME ? WriteResult::BadName : WriteResult::Failed;
  bool ok = true;
  for (Bytes piece : pieces) {
    while (ok && piece.size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(piece.size, 1u << 30));
      DWORD written = 0;
      ok = ::WriteFile(h, piece.data, chunk, &written, nullptr) && written == chunk;
      piece.data += chunk;
      piece.size -= chunk;
    }
  }
  ok = ::CloseHandle(h) && ok;
  if (!ok) {
    ::DeleteFileA(ansiName);
    return WriteResult::Failed;
  }
  return WriteResult::Ok;
}

}  // namespace plat::detail
