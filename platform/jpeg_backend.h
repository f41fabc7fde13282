// Internal to the platform layer: what each backend supplies to the JPEG
// library of jpeg.h. The encoding is shared; the backends differ only in
// the call log and the faults a test can inject in the simulated one.
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

}  // namespace plat::jpeg_backend
