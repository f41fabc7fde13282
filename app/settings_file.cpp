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

bool HasContent(const std::u16string& file) {
  try {
    return plat::FileLen(file) > 0;
  } catch (const plat::Error&) {
    return false;  // missing
  }
}

bool FitsAnsi(const std::u16string& text) { return plat::FromAnsi(plat::ToAnsi(text)) == text; }

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
  const std::u16string user = UserSettingsFile();
  return !user.empty() && HasContent(user) ? user : ExeSettingsFile();
}

bool WriteSettings(const std::u16string& file, std::initializer_list<SettingsKey> keys) {
  const bool unicode = std::any_of(keys.begin(), keys.end(), [](const SettingsKey& k) { return !FitsAnsi(k.value); });
  if (unicode && !plat::ConvertProfileToUnicode(file)) return false;
  bool ok = true;
  for (const SettingsKey& k : keys)
    ok = plat::WritePrivateProfileStringW(kSettingsSection, k.key, k.value.c_str(), file.c_str()) && ok;
  return ok;
}

void SaveSettings(const std::u16string& readFrom, std::initializer_list<SettingsKey> keys) {
  const std::u16string exe = ExeSettingsFile();
  if (readFrom == exe && WriteSettings(exe, keys)) return;
  const std::u16string user = UserSettingsFile(true);
  if (!user.empty()) WriteSettings(user, keys);
}

}  // namespace varnel
