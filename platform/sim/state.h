// Internal: shared pieces of the simulated platform.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sim/sim.h"

namespace sim::detail {

void Log(std::string entry);
// True when an injected fault is due for this function; `code` receives it.
bool Fault(const std::string& functionName, std::int32_t* code = nullptr);

// Per-store reset hooks, run by sim::Reset.
void ResetRegistry();
void ResetShell();
void ResetToolkit();

std::string Lower(std::string_view s);

}  // namespace sim::detail
