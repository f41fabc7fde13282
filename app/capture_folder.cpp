#include "app/capture_folder.h"

namespace varnel {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool HasDrive(std::u16string_view p) {
  return p.size() >= 2 && p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

// "C:" of "C:\Tools", "\\server\share" of "\\server\share\Tools".
std::u16string_view RootOf(std::u16string_view base) {
  if (HasDrive(base)) return base.substr(0, 2);
  if (base.size() > 2 && IsSeparator(base[0]) && IsSeparator(base[1])) {
    const std::size_t server = base.find_first_of(u"\\/", 2);
    if (server == std::u16string_view::npos) return base;
    const std::size_t share = base.find_first_of(u"\\/", server + 1);
    return base.substr(0, share);
  }
  return {};
}

}  // namespace

std::u16string ResolveCaptureFolder(std::u16string_view folder, std::u16string_view base) {
  if (folder.empty()) return {};
  if (HasDrive(folder)) {
    if (folder.size() > 2 && IsSeparator(folder[2])) return std::u16string(folder);
    std::u16string out(folder.substr(0, 2));
    return out.append(u"\\").append(folder.substr(2));
  }
  if (IsSeparator(folder[0])) {
    if (folder.size() > 1 && IsSeparator(folder[1])) return std::u16string(folder);  // UNC
    return std::u16string(RootOf(base)).append(folder);
  }
  std::u16string out(base);
  if (!out.empty() && !IsSeparator(out.back())) out += u'\\';
  return out.append(folder);
}

std::u16string FolderOf(std::u16string_view file) {
  const std::size_t slash = file.find_last_of(u'\\');
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(file.substr(0, slash));
}

}  // namespace varnel
