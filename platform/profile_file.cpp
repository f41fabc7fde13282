// Converting a profile file to Unicode, on the whole-file reads and
// replacements of each backend.
#include "platform/profile_file.h"

#include "platform/text.h"

namespace plat {

namespace {

constexpr char kMark[] = "\xFF\xFE";

}  // namespace

bool ConvertProfileToUnicode(const std::u16string& path) {
  const std::optional<std::string> bytes = ReadProfileBytes(path);
  if (!bytes) return false;
  if (bytes->compare(0, 2, kMark) == 0) return true;
  std::string unicode(kMark, 2);
  for (char16_t c : FromAnsi(*bytes)) {
    unicode += static_cast<char>(c & 0xFF);
    unicode += static_cast<char>(c >> 8);
  }
  return ReplaceProfileBytes(path, unicode);
}

}  // namespace plat
