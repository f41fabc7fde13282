// The simulated backend of the JPEG library: the calls go into the call
// log, a test can make ijlInit or ijlWrite fail with a code of its choice
// (InjectFault("ijlInit", code)).
#include "platform/jpeg_backend.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace plat::jpeg_backend {

namespace {

IJLERR Injected(const char* function) {
  std::int32_t code = 0;
  if (!sim::detail::Fault(function, &code)) return IJL_OK;
  return code != 0 ? code : IJL_EXCEPTION_DETECTED;
}

}  // namespace

IJLERR OnInit() {
  sim::detail::Log("ijlInit");
  return Injected("ijlInit");
}

// The log shows the record as the library received it:
// "ijlWrite(8,<file>,DIB <width>x<height> pad <pad>,JPG <width>x<height> q <quality>)".
IJLERR OnWrite(const JPEG_CORE_PROPERTIES& p, IJLIOTYPE iotype) {
  using std::to_string;
  sim::detail::Log("ijlWrite(" + to_string(static_cast<int>(iotype)) + "," +
                   (p.JPGFile ? plat::ToUtf8(p.JPGFile) : "(null)") + ",DIB " + to_string(p.DIBWidth) + "x" +
                   to_string(p.DIBHeight) + " pad " + to_string(p.DIBPadBytes) + ",JPG " + to_string(p.JPGWidth) + "x" +
                   to_string(p.JPGHeight) + " q " + to_string(p.jquality) + ")");
  return Injected("ijlWrite");
}

void OnFree() { sim::detail::Log("ijlFree"); }

}  // namespace plat::jpeg_backend
