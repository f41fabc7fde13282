// The toolkit's file services: existence, length and deletion of a file,
// and the current directory. Names are UTF-16 paths of any length (a long
// one reaches the system in the long-path form). A failure raises the
// toolkit's error with the system's error code as its lastDllError.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Raises kErrFileNotFound when no file stands under the name.
std::int64_t FileLen(const std::u16string& path);
// Deletes the one file named (no wildcards). Raises kErrFileNotFound when
// there is no such file, kErrPathNotFound when its folder is missing,
// kErrBadFileName for a name Windows refuses, and kErrFileAccess when it
// cannot be deleted (read-only, in use).
void Kill(const std::u16string& path);
// Makes a folder the current directory; raises kErrPathNotFound when it
// cannot (missing, not a valid path, drive not ready, access refused).
void ChDir(const std::u16string& path);
// True when a file or folder stands under the name.
bool FileExists(const std::u16string& path);
// True when a folder stands under the name. The folder stays as it is: it
// does not become the current directory, so it can still be renamed,
// deleted or ejected by the user.
bool FolderExists(const std::u16string& path);
// True when the two names lead to the same file as Windows resolves them:
// made absolute, "/", repeated separators, "." and ".." resolved, short
// (8.3) names replaced by long ones where the file exists, and compared
// without regard to case.
bool SamePath(const std::u16string& a, const std::u16string& b);
// True when the program may write the file: an existing one can be opened
// for writing; for a missing one a file can be made in its folder (tried
// with one that goes again when closed).
bool CanWriteFile(const std::u16string& path);

}  // namespace plat
