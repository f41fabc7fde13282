// The JPEG file writer: a cDIBSection's pixels written as a JPEG file
// through the JPEG library of the platform layer.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/dib_section.h"
#include "imaging/encoded_file.h"
#include "imaging/image_view.h"

namespace varnel::mIntelJPEGLibrary {

// The error number of the writer's own failures.
inline constexpr std::int32_t kErrJpeg = 26001;

// Writes cDib's picture, at its own size, as a JPEG file of quality
// lQuality (1..100) under sFile, replacing a file that stands there; the
// new file then takes over the replaced file's creation, last-access and
// last-write times and its attributes. Returns true; every failure is
// raised: 26001 when the library cannot be initialised or cannot write
// the file (then with the system's reason as its lastDllError:
// kErrorNotEnoughMemory when memory ran out, the file's error when it
// could not be written), the platform's error when an existing file
// cannot be deleted. The buffer is only read.
bool SaveDibAsJpeg(cDIBSection& cDib, std::u16string sFile, std::int32_t lQuality);

// The same JPEG as a file to write, encoded into memory: one piece, lent
// from the library's buffer (valid until it writes again). Failures are
// raised as SaveDibAsJpeg raises them.
EncodedFile EncodeJpeg(const ImageView& image, std::int32_t lQuality);

}  // namespace varnel::mIntelJPEGLibrary
