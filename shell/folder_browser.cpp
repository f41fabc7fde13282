#include "shell/folder_browser.h"

#include <vector>

#include "platform/api.h"

namespace varnel {

namespace {

// The item identifier list the dialog hands back belongs to us and goes
// back to the shell's allocator as soon as its path has been read.
class ItemList {
 public:
  explicit ItemList(plat::Handle pidl) : pidl_(pidl) {}
  ~ItemList() {
    if (pidl_) plat::CoTaskMemFree(pidl_);
  }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  plat::Handle get() const { return pidl_; }

 private:
  plat::Handle pidl_;
};

}  // namespace

std::u16string BrowseForFolderPath(plat::Handle owner, const std::u16string& title) {
  // Wide throughout: a folder named in any script comes back whole.
  plat::BrowseInfoW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();  // lives while the dialog is open
  info.ulFlags = plat::kBifReturnOnlyFsDirs;

  std::vector<char16_t> path(plat::kMaxPath, u'\0');
  {
    ItemList pidl(plat::SHBrowseForFolderW(&info));
    if (!pidl.get()) return {};
    // The buffer starts all NUL, so a call that writes no path leaves it empty.
    plat::SHGetPathFromIDListW(pidl.get(), path.data());
  }
  path.back() = u'\0';  // never read past the buffer, whatever the shell wrote
  return std::u16string(path.data());
}

}  // namespace varnel
