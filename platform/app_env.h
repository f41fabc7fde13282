// The program's own facts: the folder and name of its executable, and its
// environment. Each backend answers from its own source (the running
// module and the process environment on Windows, settable values in the
// simulated one).
#pragma once

#include <string>

namespace plat {

// The executable's folder: no trailing separator except at a drive's root.
std::u16string AppPath();
// The executable's base name, without folder or extension.
std::u16string AppExeName();
// An environment variable's value, empty when unset. Names are compared
// without regard to case.
std::u16string Environ(const std::u16string& name);

}  // namespace plat
