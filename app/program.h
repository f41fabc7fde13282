// The program's entry: load the window and run until it unloads.
#pragma once

namespace varnel {

int RunProgram();

}  // namespace varnel
