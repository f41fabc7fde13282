// Writing a file's whole content in one go: what a failing write leaves
// behind is decided here, once, for every file the program writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace plat {

// A run of bytes of a file, lent by its owner for the write.
struct FilePiece {
  const std::uint8_t* data;
  std::size_t size;
};

// Writes the pieces one after the other as the file `name` (UTF-16, of any
// length), creating or replacing it. A failure raises kErrFileAccess with
// the Win32 error code (the disk is full, access is denied, the folder is
// missing...) as its lastDllError; no file is then left under the name by
// this call, not even an empty one.
void WriteWholeFile(std::u16string_view name, std::span<const FilePiece> pieces);
inline void WriteWholeFile(std::u16string_view name, std::initializer_list<FilePiece> pieces) {
  WriteWholeFile(name, std::span<const FilePiece>(pieces.begin(), pieces.size()));
}

}  // namespace plat
