// Internal to the platform layer: writing a file's whole content in one
// go, for the JPEG library and the picture writer. On any failure no file
// is left under the name by this call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace plat::detail {

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
};

enum class WriteResult { Ok, BadName, Failed };

// Writes the pieces one after the other as the file named by the ANSI
// name, creating or replacing it.
WriteResult WriteWholeFile(const char* ansiName, std::initializer_list<Bytes> pieces);

}  // namespace plat::detail
