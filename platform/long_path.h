// Paths as the file calls take them. Without the long-path form a Windows
// file call refuses a name of kMaxPathChars (260) characters or more, and a
// folder call one of 248 or more; in the long-path form ("\\?\C:\..." or
// "\\?\UNC\server\share\...") the limit is 32767. That form is taken
// literally, so the path is first brought into the shape Windows would have
// given it: "/" becomes "\", repeated separators are one, and "." and ".."
// are resolved.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The name to hand to a wide file call: an absolute path (drive letter or
// UNC) of 248 characters or more in the long-path form; anything else, and
// a path already in that form, unchanged.
std::u16string ForFileCall(std::u16string_view path);

}  // namespace plat
