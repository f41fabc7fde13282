// Internal to the platform layer: what each backend supplies to the JPEG
// library of jpeg.h. The encoding is shared; the backends differ only in
// how the finished file reaches the disk and, in the simulated one, in the
// call log and the faults a test can inject.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/jpeg.h"

namespace plat::jpeg_backend {

// Called at the start of ijlInit and ijlWrite (after their own argument
// checks); a non-zero result makes the call fail with that code.
IJLERR OnInit();
IJLERR OnWrite(const JPEG_CORE_PROPERTIES& jcprops, IJLIOTYPE iotype);
void OnFree();

// Writes `size` bytes as the whole content of the file named by the ANSI
// name, creating or replacing it. On any failure no file is left under the
// name by this call, and the result says why: IJL_INVALID_FILENAME or
// IJL_FILE_ERROR.
IJLERR WriteWholeFile(const char* ansiName, const std::uint8_t* data, std::size_t size);

}  // namespace plat::jpeg_backend
