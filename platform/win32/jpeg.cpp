// The real platform adds nothing to the JPEG library's calls.
#include "platform/jpeg_hooks.h"

namespace plat::jpeg_hooks {

std::int32_t OnInit() { return 0; }
std::int32_t OnWrite(const WriteCall&) { return 0; }
void OnFree() {}

}  // namespace plat::jpeg_hooks
