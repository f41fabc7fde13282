// The simulated machine the window's tests and the settings fuzz targets
// start from: Varnel in C:\Tools and a user whose profile is C:\Users\ann,
// with her desktop and application data, both known to the shell.
#pragma once

#include <filesystem>
#include <utility>

#include "platform/sim/sim.h"
#include "platform/types.h"

namespace varnel::testing {

// Arranges that machine on a simulated platform that was just reset.
inline void SetUpAnnsMachine() {
  std::filesystem::create_directories(sim::HostPath("C:\\Tools"));
  sim::SetApp(u"C:\\Tools", u"Varnel");
  sim::SetEnv(u"userprofile", u"C:\\Users\\ann");
  for (auto [csidl, folder] : {std::pair{plat::kCsidlDesktopDirectory, u"C:\\Users\\ann\\Desktop"},
                               std::pair{plat::kCsidlAppData, u"C:\\Users\\ann\\AppData\\Roaming"}}) {
    sim::SetShellFolder(csidl, folder);
    std::filesystem::create_directories(sim::HostPath(folder));
  }
}

}  // namespace varnel::testing
