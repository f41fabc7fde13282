// Whole-file writes through the platform's file calls, shared by both
// backends.
#include "platform/file_write.h"

#include <algorithm>

#include "platform/api.h"
#include "platform/error.h"
#include "platform/handles.h"
#include "platform/long_path.h"

namespace plat {

void WriteWholeFile(std::u16string_view name, std::span<const FilePiece> pieces) {
  const std::u16string call = ForFileCall(name);
  UniqueFile file(CreateFileW(call.c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
  if (!file) Raise(kErrFileAccess, {}, {}, GetLastError());

  std::uint32_t error = 0;
  for (FilePiece piece : pieces) {
    while (error == 0 && piece.size > 0) {
      const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(piece.size, 1u << 30));
      std::uint32_t written = 0;
      const bool ok = WriteFile(file.get(), piece.data, chunk, &written);
      if (!ok || written != chunk) {
        error = ok ? 0 : GetLastError();
        if (error == 0) error = kErrorHandleDiskFull;  // a short write without a reason: the volume is full
      }
      piece.data += written;
      piece.size -= written;
    }
  }
  // The last data may fail to reach the disk only here.
  if (!CloseHandle(file.release()) && error == 0) error = GetLastError();
  if (error != 0) {
    DeleteFileW(call.c_str());
    Raise(kErrFileAccess, {}, {}, error);
  }
}

}  // namespace plat
