#include "shell/folder_browser.h"

#include <vector>

#include "platform/api.h"
#include "platform/handles.h"

namespace varnel {

std::u16string BrowseForFolderPath(plat::Hwnd owner, const std::u16string& title) {
  // Wide throughout: a folder named in any script comes back whole.
  plat::BrowseInfoW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();  // lives while the dialog is open
  info.ulFlags = plat::kBifReturnOnlyFsDirs;

  std::vector<char16_t> path(plat::kMaxPath, u'\0');
  {
    // The list the dialog hands back is ours, and goes back to the shell's
    // allocator as soon as its path has been read.
    plat::UniqueItemList pidl(plat::SHBrowseForFolderW(&info));
    if (!pidl) return {};
    // The buffer starts all NUL, so a call that writes no path leaves it empty.
    plat::SHGetPathFromIDListW(pidl.get(), path.data());
  }
  path.back() = u'\0';  // never read past the buffer, whatever the shell wrote
  return std::u16string(path.data());
}

}  // namespace varnel
