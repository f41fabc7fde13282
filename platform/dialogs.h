// The common dialogs beyond a plain message box: a task dialog, whose
// buttons the program names, and the save dialog. Both are modal to their
// owner and run a message loop of their own, in which Windows' reports
// keep coming.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

// A message with the buttons named, in that order, `defaultButton` the
// one Enter presses; returns the index of the button pressed. The dialog cannot be closed but
// by a button (no close box, Escape does nothing), so that no choice is
// made by accident; where Windows ends it without one (its owner
// destroyed), the last button counts. owner and topmost as for MsgBox.
std::size_t TaskBox(const std::u16string& prompt, const std::u16string& title, Hwnd owner, bool topmost,
                    std::span<const std::u16string> buttons, std::size_t defaultButton = 0);

// One type of file the save dialog offers: its name ("PNG") and extension
// (".png").
struct FileType {
  std::u16string name, extension;
};
struct SaveFileRequest {
  Hwnd owner;
  std::u16string title;
  std::u16string folder;    // opened in; where it does not exist, the dialog's own choice
  std::u16string fileName;  // proposed, without an extension
  std::vector<FileType> types;
  std::size_t type = 0;  // the type chosen at first
};
struct SaveFileAnswer {
  std::u16string path;  // full, with the chosen type's extension where the user typed none
  std::size_t type;     // the type chosen last
};
// The common save dialog on a single-threaded COM apartment of the calling
// thread; nullopt when the user cancels, or where the dialog cannot be
// shown.
std::optional<SaveFileAnswer> SaveFileDialog(const SaveFileRequest& request);

}  // namespace plat
