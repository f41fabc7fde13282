// Whole-file writes into the sandbox, under the rules of the simulated
// file system. InjectFault("WriteFile") makes a write fail half-way, as a
// full disk would.
#include "platform/file_write.h"

#include <fstream>

#include "platform/sim/state.h"

namespace plat::detail {

WriteResult WriteWholeFile(const char* ansiName, std::initializer_list<Bytes> pieces) {
  if (!sim::detail::ValidFileName(ansiName)) return WriteResult::BadName;
  const std::filesystem::path host = sim::HostPath(ansiName);
  std::error_code ec;
  if (!std::filesystem::is_directory(host.parent_path(), ec) || !sim::detail::Writable(host))
    return WriteResult::Failed;
  const bool replaced = std::filesystem::exists(host, ec);
  const bool failHalfWay = sim::detail::Fault("WriteFile");
  bool ok;
  {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    ok = static_cast<bool>(out);
    for (const Bytes& piece : pieces) {
      const std::size_t n = failHalfWay ? piece.size / 2 : piece.size;
      if (ok) out.write(reinterpret_cast<const char*>(piece.data), static_cast<std::streamsize>(n));
      if (failHalfWay) break;
    }
    ok = ok && static_cast<bool>(out.flush()) && !failHalfWay;
  }
  if (!ok) {
    std::filesystem::remove(host, ec);
    sim::detail::ResetFileMeta(host);
    return WriteResult::Failed;
  }
  sim::detail::FileWritten(host, replaced);
  return WriteResult::Ok;
}

}  // namespace plat::detail
