// The shell's standard folder dialog over an owner window.
#pragma once

#include <string>

#include "platform/types.h"

namespace varnel {

// The full path of the folder the user picked, whatever its length, or the
// empty text when the dialog was cancelled or the chosen item has no
// file-system path; *noPath, when given, tells the latter apart (the
// dialog lets no such item be picked, but the shell may still give out no
// path for a folder).
std::u16string BrowseForFolderPath(plat::Hwnd owner, const std::u16string& title, bool* noPath = nullptr);

}  // namespace varnel
