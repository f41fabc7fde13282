// The settings, as one value: what the window edits, what the capture
// reads, and what the start-up entry (startup_entry.h) and the settings
// file (settings_file.h) keep between runs. They are read when the program
// starts and written when it ends; OK and Apply replace the value with one
// made from the window's controls, which takes effect at once.
#pragma once

#include <string>

#include "app/format_code.h"

namespace varnel {

struct Settings {
  bool RunOnStartUp = false;  // Windows starts the program at sign-in
  std::u16string CaptureFolder;
  bool AutoOpen = false;  // each new capture is opened with the shell
  bool Notice = false;    // each new capture is told in a notice from the icon
  // A whole-desktop capture is cut to the monitor under the pointer.
  bool ScreenUnderPointer = false;
  FormatCode CaptureFormat;  // three NULs until read

  struct Loaded;
  // The settings at start, for the executable `exe`: whether Windows will
  // start it at sign-in, then the settings file (SettingsFileToRead), each
  // key read by the profile functions' rules with its own default. No file,
  // or an empty one, is a first run: start-up on, the desktop folder, JPEG.
  // A step that fails is skipped and leaves its setting as it was.
  static Loaded Load(const std::u16string& exe);
  // Writes them at the end: the start-up entry of `exe` made (running
  // `command`) or removed, then the keys into the file they were read from
  // (see SaveSettings). What cannot be written is left as it was, silently.
  void Save(const std::u16string& file, const std::u16string& exe, const std::u16string& command) const;
};

struct Settings::Loaded {
  Settings settings;
  std::u16string file;  // the settings file read, where Save writes them back
  bool firstRun = false;
};

}  // namespace varnel
