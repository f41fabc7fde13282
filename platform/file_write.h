// Internal to the platform layer: writing a file's whole content in one
// go, for the JPEG library and the picture writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace plat::detail {

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
};

// Writes the pieces one after the other as the file `name` (UTF-16, of any
// length), creating or replacing it. Returns 0, or the Win32 error code of
// the failure (also left in GetLastError()): the disk is full, access is
// denied, the folder is missing... On failure no file is left under the
// name by this call, not even an empty one.
std::uint32_t WriteWholeFile(std::u16string_view name, std::initializer_list<Bytes> pieces);

}  // namespace plat::detail
