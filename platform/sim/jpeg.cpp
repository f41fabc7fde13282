// The simulated backend of the JPEG library: the calls go into the call
// log, a test can make ijlInit or ijlWrite fail with a code of its choice
// (InjectFault("ijlInit", code)), and the finished file is written into the
// sandbox under the rules of the simulated file system. InjectFault
// ("WriteFile") makes the file write fail half-way, as a full disk would.
#include <fstream>

#include "platform/jpeg_backend.h"
#include "platform/sim/state.h"

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
  sim::detail::Log("ijlWrite(" + to_string(static_cast<int>(iotype)) + "," + (p.JPGFile ? p.JPGFile : "(null)") +
                   ",DIB " + to_string(p.DIBWidth) + "x" + to_string(p.DIBHeight) + " pad " +
                   to_string(p.DIBPadBytes) + ",JPG " + to_string(p.JPGWidth) + "x" + to_string(p.JPGHeight) +
                   " q " + to_string(p.jquality) + ")");
  return Injected("ijlWrite");
}

void OnFree() { sim::detail::Log("ijlFree"); }

IJLERR WriteWholeFile(const char* ansiName, const std::uint8_t* data, std::size_t size) {
  if (!sim::detail::ValidFileName(ansiName)) return IJL_INVALID_FILENAME;
  const std::filesystem::path host = sim::HostPath(ansiName);
  std::error_code ec;
  if (!std::filesystem::is_directory(host.parent_path(), ec) || !sim::detail::Writable(host)) return IJL_FILE_ERROR;
  const bool replaced = std::filesystem::exists(host, ec);
  const bool failHalfWay = sim::detail::Fault("WriteFile");
  bool ok;
  {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    ok = static_cast<bool>(out);
    if (ok) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(failHalfWay ? size / 2 : size));
    ok = ok && static_cast<bool>(out.flush()) && !failHalfWay;
  }
  if (!ok) {
    std::filesystem::remove(host, ec);
    sim::detail::ResetFileMeta(host);
    return IJL_FILE_ERROR;
  }
  sim::detail::FileWritten(host, replaced);
  return IJL_OK;
}

}  // namespace plat::jpeg_backend
