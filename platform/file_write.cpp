// Whole-file writes through the platform's file calls, shared by both
// backends.
#include "platform/file_write.h"

#include <algorithm>
#include <vector>

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
  const auto write = [&](FilePiece piece) {
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
  };
  // Small pieces (a header, the rows of a part of a picture) are gathered
  // into writes of up to kGather bytes; a large one goes out as it is.
  constexpr std::size_t kGather = std::size_t{1} << 20;
  std::vector<std::uint8_t> gathered;
  const auto flush = [&] {
    write({gathered.data(), gathered.size()});
    gathered.clear();
  };
  for (const FilePiece piece : pieces) {
    if (gathered.size() + piece.size > kGather) flush();
    if (piece.size >= kGather) {
      write(piece);
    } else if (piece.size > 0) {
      if (gathered.capacity() == 0) gathered.reserve(kGather);
      gathered.insert(gathered.end(), piece.data, piece.data + piece.size);
    }
  }
  flush();
  // The last data may fail to reach the disk only here.
  if (!CloseHandle(file.release()) && error == 0) error = GetLastError();
  if (error != 0) {
    DeleteFileW(call.c_str());
    Raise(kErrFileAccess, {}, {}, error);
  }
}

}  // namespace plat
