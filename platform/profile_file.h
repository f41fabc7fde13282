// The bytes of a private-profile (INI) file, and its form. Windows'
// profile functions keep a file in the form they find it (see api.h): the
// ANSI code page, or Unicode when the file begins with the UTF-16 LE
// byte-order mark. A value the code page cannot hold survives only in a
// Unicode file. A file in another form (UTF-8) they cannot read: its bytes
// are read and replaced here whole.
#pragma once

#include <optional>
#include <string>

namespace plat {

// The file's bytes; empty for a missing file. nullopt when it exists but
// cannot be read, or its folder is missing.
std::optional<std::string> ReadProfileBytes(const std::u16string& path);
// Makes `bytes` the file's content: they are written beside it first and
// then moved over it, so that a failure at any point leaves the old file
// whole. A missing file is created. Returns false when the file cannot be
// replaced (missing folder, no right to write, a read-only file).
bool ReplaceProfileBytes(const std::u16string& path, const std::string& bytes);

// Rewrites the file as the mark followed by its text in UTF-16 LE, the
// text decoded from the ANSI code page; every section, key and comment
// stays as it was. A file already in that form is left alone, and a
// missing one is created holding only the mark. Returns false when the
// file cannot be read or replaced; the file is then left as it was.
bool ConvertProfileToUnicode(const std::u16string& path);

}  // namespace plat
