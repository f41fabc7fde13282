// The simulated platform around the JPEG library: the calls go into the
// call log, a test can make ijlInit or ijlWrite fail with a code of its
// choice (InjectFault("ijlInit", code)).
#include <string>

#include "platform/jpeg_hooks.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace plat::jpeg_hooks {

namespace {

// The library's code for a failure of its own encoder.
constexpr std::int32_t kExceptionDetected = -1;
// The mode that writes into memory (IJL_JBUFF_WRITEWHOLEIMAGE).
constexpr std::int32_t kBufferMode = 9;

std::int32_t Injected(const char* function) {
  std::int32_t code = 0;
  if (!sim::detail::Fault(function, &code)) return 0;
  return code != 0 ? code : kExceptionDetected;
}

}  // namespace

std::int32_t OnInit() {
  sim::detail::Log("ijlInit");
  return Injected("ijlInit");
}

// The log shows the record as the library received it:
// "ijlWrite(<mode>,<file>,DIB <width>x<height> pad <pad>,JPG <width>x<height> q <quality>)",
// the file "(memory)" for a write into memory.
std::int32_t OnWrite(const WriteCall& c) {
  using std::to_string;
  sim::detail::Log("ijlWrite(" + to_string(c.iotype) + "," +
                   (c.file                    ? plat::ToUtf8(c.file)
                    : c.iotype == kBufferMode ? "(memory)"
                                              : "(null)") +
                   ",DIB " + to_string(c.dibWidth) + "x" + to_string(c.dibHeight) + " pad " + to_string(c.dibPadBytes) +
                   ",JPG " + to_string(c.jpgWidth) + "x" + to_string(c.jpgHeight) + " q " + to_string(c.quality) + ")");
  return Injected("ijlWrite");
}

void OnFree() { sim::detail::Log("ijlFree"); }

}  // namespace plat::jpeg_hooks
