// A file's bytes as an encoder hands them over: pieces to be written one
// after the other (plat::WriteWholeFile), so that a file of any size is
// written without a copy of it. A piece points into `owned`, into the
// encoder's own buffer (valid until that encoder runs again) or into the
// picture itself (a bitmap file keeps the rows as the picture does).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file_write.h"

namespace varnel {

struct EncodedFile {
  EncodedFile() = default;
  EncodedFile(EncodedFile&&) = default;  // the pieces keep pointing into `owned`
  EncodedFile& operator=(EncodedFile&&) = default;
  EncodedFile(const EncodedFile&) = delete;
  EncodedFile& operator=(const EncodedFile&) = delete;

  std::vector<std::uint8_t> owned;  // bytes made for this file alone
  std::vector<plat::FilePiece> pieces;
};

}  // namespace varnel
