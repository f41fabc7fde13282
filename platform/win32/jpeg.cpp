// The real backend of the JPEG library: nothing to add to the shared code.
#include "platform/jpeg_backend.h"

namespace plat::jpeg_backend {

IJLERR OnInit() { return IJL_OK; }
IJLERR OnWrite(const JPEG_CORE_PROPERTIES&, IJLIOTYPE) { return IJL_OK; }
void OnFree() {}

}  // namespace plat::jpeg_backend
