// The simulated platform's sandbox for the benchmarks' files, with the
// folder C:\bench in it. Made once for the whole program, before any
// graphics object exists (a reset forgets every graphics object), and
// removed at exit. Every benchmark that writes files calls it first.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/sim/sim.h"

namespace varnel::bench {

inline void UseSandbox() {
  static const bool made = [] {
    static const std::filesystem::path sandbox =
        std::filesystem::temp_directory_path() / ("varnel-bench-" + std::to_string(::getpid()));
    sim::Reset(sandbox);
    std::filesystem::create_directories(sim::HostPath("C:\\bench"));
    std::atexit([] { std::filesystem::remove_all(sandbox); });
    return true;
  }();
  (void)made;
}

}  // namespace varnel::bench
