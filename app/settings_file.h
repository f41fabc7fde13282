// Where the settings file lives, and how it is written.
//
// Beside the executable by default, so that a portable copy carries its
// settings along. Where that file cannot be written (an installation under
// Program Files, run by a standard user), the settings go to the user's
// application data instead: %APPDATA%\Varnel\Varnel.ini. At start that
// per-user file wins whenever it has content.
//
// The file stays in the ANSI code page while every value fits it, so that
// existing files, and whatever else reads them, see no change. A value the
// code page cannot hold (a folder named in Cyrillic on a Western system)
// first makes the file Unicode, keeping everything else in it.
#pragma once

#include <initializer_list>
#include <string>

namespace varnel {

inline constexpr char16_t kSettingsSection[] = u"main";

// The file beside the executable.
std::u16string ExeSettingsFile();
// The per-user file; empty when its folder does not exist. With
// createFolder the folder is made when missing (empty when it cannot be).
std::u16string UserSettingsFile(bool createFolder = false);
// The file to read at start: the per-user one when it has content,
// otherwise the one beside the executable.
std::u16string SettingsFileToRead();

struct SettingsKey {
  const char16_t* key;
  std::u16string value;
};
// Writes the keys into the settings section of the file, in this order.
// False when the file cannot be written.
bool WriteSettings(const std::u16string& file, std::initializer_list<SettingsKey> keys);
// Writes the keys where they belong: into the per-user file when that is
// the one read at start (readFrom), else beside the executable, and when
// that fails into the per-user file.
void SaveSettings(const std::u16string& readFrom, std::initializer_list<SettingsKey> keys);

}  // namespace varnel
