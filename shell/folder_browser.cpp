#include "shell/folder_browser.h"

#include <vector>

#include "platform/api.h"
#include "platform/handles.h"

namespace varnel {

std::u16string BrowseForFolderPath(plat::Hwnd owner, const std::u16string& title, bool* noPath) {
  if (noPath) *noPath = false;
  // Wide throughout: a folder named in any script comes back whole.
  plat::BrowseInfoW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();  // lives while the dialog is open
  info.ulFlags = plat::kBifReturnOnlyFsDirs;

  // Room for the longest path Windows takes: a folder past MAX_PATH, which
  // captures can use, comes back whole.
  std::vector<char16_t> path(plat::kLongestPath, u'\0');
  {
    // The list the dialog hands back is ours, and goes back to the shell's
    // allocator as soon as its path has been read.
    plat::UniqueItemList pidl(plat::SHBrowseForFolderW(&info));
    if (!pidl) return {};
    if (!plat::SHGetPathFromIDListEx(pidl.get(), path.data(), plat::kLongestPath, 0)) path[0] = u'\0';
  }
  path.back() = u'\0';  // never read past the buffer, whatever the shell wrote
  if (noPath) *noPath = path[0] == u'\0';
  return std::u16string(path.data());
}

}  // namespace varnel
