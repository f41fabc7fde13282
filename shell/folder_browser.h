// The shell's standard folder dialog over an owner window.
#pragma once

#include <string>

#include "platform/types.h"

namespace varnel {

// The full path of the folder the user picked, or the empty text when the
// dialog was cancelled or the chosen item has no file-system path.
std::u16string BrowseForFolderPath(plat::Hwnd owner, const std::u16string& title);

}  // namespace varnel
