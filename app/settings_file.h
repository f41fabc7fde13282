// Where the settings file lives, and how it is read and written.
//
// Beside the executable, so that a portable copy carries its settings
// along, wherever this user may write that file. Where that cannot be
// written (an installation under Program Files, run by a standard user),
// the settings go to the user's application data instead,
// %APPDATA%\Varnel\Varnel.ini, and are read from there at start when it has
// content. A copy in a folder it can write always reads its own file: the
// per-user one, written by another copy, is not its own.
//
// A file is read and written back in the form it was saved in. The profile
// functions handle two: Unicode (UTF-16 LE with its byte-order mark) and
// the ANSI code page. A file saved as UTF-8, as Notepad saves it, with or
// without a byte-order mark, is read and written here instead, by the same
// rules (profile_text.h). A new or ANSI file stays ANSI while every value
// fits the code page, so that existing files, and whatever else reads them,
// see no change; a value the code page cannot hold (a folder named in
// Cyrillic on a Western system) first makes it Unicode. Every other
// section, key and line stays as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "app/profile_text.h"

namespace varnel {

inline constexpr char16_t kSettingsSection[] = u"main";

// The file beside the executable.
std::u16string ExeSettingsFile();
// The per-user file; empty when its folder does not exist. With
// createFolder the folder is made when missing (empty when it cannot be).
std::u16string UserSettingsFile(bool createFolder = false);
// The file to read at start: the one beside the executable when this user
// may write it; otherwise the per-user one when it has content, and the one
// beside the executable when not.
std::u16string SettingsFileToRead();

// The settings section of a file as it stood when this was made, read as
// GetPrivateProfileStringW and GetPrivateProfileIntW read it, whatever the
// file's form.
class SettingsReader {
 public:
  explicit SettingsReader(std::u16string file);
  // The key's value, or `def` without its trailing blanks, cut to `size` - 1
  // characters and a NUL; returns the number of characters.
  std::uint32_t GetString(const char16_t* key, const char16_t* def, char16_t* buffer, std::uint32_t size) const;
  // The number the value begins with (after blanks, an optional sign), 0
  // when it begins with none; `def` when the key is missing or empty.
  std::uint32_t GetInt(const char16_t* key, std::int32_t def) const;

 private:
  std::u16string file_;
  std::optional<ProfileText> utf8_;  // a UTF-8 file's text
};

struct SettingsKey {
  const char16_t* key;
  std::u16string value;
};
// Writes the keys into the settings section of the file, in this order.
// False when the file cannot be written.
bool WriteSettings(const std::u16string& file, std::span<const SettingsKey> keys);
// Writes the keys where they belong: into the per-user file when that is
// the one read at start (readFrom), else beside the executable, and when
// that fails into the per-user file.
void SaveSettings(const std::u16string& readFrom, std::span<const SettingsKey> keys);

}  // namespace varnel
