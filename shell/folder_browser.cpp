#include "shell/folder_browser.h"

#include <vector>

#include "platform/api.h"
#include "platform/text.h"

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
  const std::string ansiTitle = plat::ToAnsi(title);  // lives while the dialog is open
  plat::BrowseInfoA info{};
  info.hwndOwner = owner;
  info.lpszTitle = ansiTitle.c_str();
  info.ulFlags = plat::kBifReturnOnlyFsDirs;

  std::vector<char> path(plat::kMaxPath, '\0');
  {
    ItemList pidl(plat::SHBrowseForFolderA(&info));
    if (!pidl.get()) return {};
    // The buffer starts all NUL, so a call that writes no path leaves it empty.
    plat::SHGetPathFromIDListA(pidl.get(), path.data());
  }
  path.back() = '\0';  // never read past the buffer, whatever the shell wrote
  std::u16string text = plat::FromAnsi(std::string_view(path.data()));
  return text.substr(0, text.find(u'\0'));
}

}  // namespace varnel
