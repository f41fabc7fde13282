#include "platform/long_path.h"

#include <vector>

namespace plat {

namespace {

// Folder calls stop 12 characters earlier than file calls (room for an
// 8.3 name), so from here on every call gets the long-path form.
constexpr std::size_t kLongFrom = 248;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsDriveAbsolute(std::u16string_view p) {
  return p.size() >= 3 && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z')) && p[1] == u':' &&
         IsSeparator(p[2]);
}

bool IsUnc(std::u16string_view p) {
  return p.size() >= 3 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2]);
}

// "a\.\b\..\c" as the segments "a", "c"; ".." never climbs above the root.
std::u16string JoinResolved(std::u16string_view rest) {
  std::vector<std::u16string_view> parts;
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = i;
    while (j < rest.size() && !IsSeparator(rest[j])) ++j;
    const std::u16string_view part = rest.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::u16string out;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k) out += u'\\';
    out += parts[k];
  }
  return out;
}

}  // namespace

std::u16string ForFileCall(std::u16string_view path) {
  if (path.size() < kLongFrom || path.substr(0, 4) == u"\\\\?\\" || path.substr(0, 4) == u"\\\\.\\")
    return std::u16string(path);
  if (IsDriveAbsolute(path)) {
    std::u16string out = u"\\\\?\\";
    out += path.substr(0, 2);
    out += u'\\';
    out += JoinResolved(path.substr(3));
    return out;
  }
  if (IsUnc(path)) return u"\\\\?\\UNC\\" + JoinResolved(path.substr(2));
  return std::u16string(path);
}

}  // namespace plat
