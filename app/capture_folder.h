// Where captures go: the capture folder as the user wrote it, made absolute.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// The folder `folder` names, resolved once against the executable's folder
// `base` when it is not absolute, so that it names one fixed folder whatever
// the current directory is:
//   "C:\Shots", "\\server\share\Shots"  as they are
//   "\Shots"                            on base's drive (or share)
//   "D:Shots"                           "D:\Shots" (a drive's own current
//                                       folder is nothing fixed)
//   "Shots", ".\Shots", "..\Shots"      inside (or beside) base
// The empty text stays empty: it names no folder.
std::u16string ResolveCaptureFolder(std::u16string_view folder, std::u16string_view base);

// The folder a file's full name stands in, without the last separator;
// empty for a bare name.
std::u16string FolderOf(std::u16string_view file);

}  // namespace varnel
