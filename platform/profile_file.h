// The form of a private-profile (INI) file. Windows' profile functions
// keep a file in the form they find it (see api.h): the ANSI code page, or
// Unicode when the file begins with the UTF-16 LE byte-order mark. A value
// the code page cannot hold survives only in a Unicode file.
#pragma once

#include <string>

namespace plat {

// Rewrites the file as the mark followed by its text in UTF-16 LE, the
// text decoded from the ANSI code page; every section, key and comment
// stays as it was. A file already in that form is left alone, and a
// missing one is created holding only the mark. Returns false when the
// file cannot be read or replaced (missing folder, no right to write); the
// file is then left as it was.
bool ConvertProfileToUnicode(const std::u16string& path);

}  // namespace plat
