#include "app/settings_file.h"

#include <algorithm>
#include <vector>

#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr char16_t kFileName[] = u"Varnel.ini";
constexpr char16_t kUserFolder[] = u"Varnel";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool HasContent(const std::u16string& file) {
  try {
    return plat::FileLen(file) > 0;
  } catch (const plat::Error&) {
    return false;  // missing
  }
}

bool FitsAnsi(const std::u16string& text) { return plat::FromAnsi(plat::ToAnsi(text)) == text; }

// The text of a file saved as UTF-8: one with the UTF-8 byte-order mark,
// or one that is well-formed UTF-8 and has bytes above 127 (text in an
// ANSI code page with such bytes almost never is). nullopt for any other,
// which the profile functions read as they should: the UTF-16 mark, plain
// ASCII, or the ANSI code page.
struct Utf8File {
  bool marked;
  std::u16string text;
};
std::optional<Utf8File> AsUtf8(const std::string& bytes) {
  if (bytes.compare(0, 3, kUtf8Mark) == 0) return Utf8File{true, plat::FromUtf8(std::string_view(bytes).substr(3))};
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::nullopt;
  if (std::optional<std::u16string> text = plat::DecodeUtf8(bytes)) return Utf8File{false, std::move(*text)};
  return std::nullopt;
}

}  // namespace

std::u16string ExeSettingsFile() { return plat::AppPath() + u"\\" + kFileName; }

std::u16string UserSettingsFile(bool createFolder) {
  std::vector<char16_t> folder(plat::kMaxPath, u'\0');
  const int csidl = plat::kCsidlAppData | (createFolder ? plat::kCsidlFlagCreate : 0);
  if (plat::SHGetFolderPathAndSubDirW({}, csidl, 0, plat::kShgfpTypeCurrent, kUserFolder, folder.data()) != 0)
    return {};
  folder.back() = u'\0';
  return std::u16string(folder.data()) + u"\\" + kFileName;
}

std::u16string SettingsFileToRead() {
  const std::u16string exe = ExeSettingsFile();
  if (plat::CanWriteFile(exe)) return exe;
  const std::u16string user = UserSettingsFile();
  return !user.empty() && HasContent(user) ? user : exe;
}

SettingsReader::SettingsReader(std::u16string file) : file_(std::move(file)) {
  if (const std::optional<std::string> bytes = plat::ReadProfileBytes(file_))
    if (std::optional<Utf8File> utf8 = AsUtf8(*bytes)) utf8_.emplace(utf8->text);
}

std::uint32_t SettingsReader::GetString(const char16_t* key, const char16_t* def, char16_t* buffer,
                                        std::uint32_t size) const {
  if (!utf8_) return plat::GetPrivateProfileStringW(kSettingsSection, key, def, buffer, size, file_.c_str());
  std::u16string value;
  if (std::optional<std::u16string> found = utf8_->Get(kSettingsSection, key)) {
    value = std::move(*found);
  } else {
    value = def ? def : u"";
    while (!value.empty() && value.back() == u' ') value.pop_back();
  }
  if (!buffer || size == 0) return 0;
  const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(value.size(), size - 1));
  value.copy(buffer, n);
  buffer[n] = u'\0';
  return n;
}

std::uint32_t SettingsReader::GetInt(const char16_t* key, std::int32_t def) const {
  if (!utf8_) return plat::GetPrivateProfileIntW(kSettingsSection, key, def, file_.c_str());
  const std::optional<std::u16string> value = utf8_->Get(kSettingsSection, key);
  if (!value || value->empty()) return static_cast<std::uint32_t>(def);
  std::size_t i = 0;
  const std::u16string& v = *value;
  while (i < v.size() && (v[i] == u' ' || v[i] == u'\t')) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) negative = v[i++] == u'-';
  std::uint32_t n = 0;
  for (; i < v.size() && v[i] >= u'0' && v[i] <= u'9'; ++i) n = n * 10u + static_cast<std::uint32_t>(v[i] - u'0');
  return negative ? 0u - n : n;
}

bool WriteSettings(const std::u16string& file, std::span<const SettingsKey> keys) {
  const std::optional<std::string> bytes = plat::ReadProfileBytes(file);
  if (!bytes) return false;
  if (const std::optional<Utf8File> utf8 = AsUtf8(*bytes)) {
    ProfileText text(utf8->text);
    // A value up to its first NUL, as the profile functions take it: the
    // format code's unused characters are NULs, which a text file must
    // not hold.
    for (const SettingsKey& k : keys) text.Set(kSettingsSection, k.key, std::u16string_view(k.value.c_str()));
    return plat::ReplaceProfileBytes(
        file, (utf8->marked ? std::string(kUtf8Mark) : std::string()) + plat::ToUtf8(text.Text()));
  }
  const bool unicode = std::any_of(keys.begin(), keys.end(), [](const SettingsKey& k) { return !FitsAnsi(k.value); });
  if (unicode && !plat::ConvertProfileToUnicode(file)) return false;
  bool ok = true;
  for (const SettingsKey& k : keys)
    ok = plat::WritePrivateProfileStringW(kSettingsSection, k.key, k.value.c_str(), file.c_str()) && ok;
  return ok;
}

void SaveSettings(const std::u16string& readFrom, std::span<const SettingsKey> keys) {
  const std::u16string exe = ExeSettingsFile();
  if (readFrom == exe && WriteSettings(exe, keys)) return;
  const std::u16string user = UserSettingsFile(true);
  if (!user.empty()) WriteSettings(user, keys);
}

}  // namespace varnel
