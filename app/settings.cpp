#include "app/settings.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/settings_file.h"
#include "app/startup_entry.h"
#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/error.h"
#include "platform/files.h"

namespace varnel {

namespace {

// Room for the longest path Windows takes (the long-path form's limit): a
// capture folder the user could type and use is read back whole.
constexpr std::uint32_t kPathBuffer = 32768;

std::u16string DefaultFolder() {
  // Where the shell keeps the desktop: moved to OneDrive, say, or by a
  // policy, it is not the profile's Desktop folder, which often stays
  // behind unseen.
  std::vector<char16_t> desktop(plat::kMaxPath, u'\0');
  if (plat::SHGetFolderPathW({}, plat::kCsidlDesktopDirectory, 0, plat::kShgfpTypeCurrent, desktop.data()) == 0) {
    desktop.back() = u'\0';
    if (desktop[0] != u'\0') return std::u16string(desktop.data());
  }
  return plat::Environ(u"userprofile") + u"\\Desktop";
}

// One key of the settings file: how its setting is read, the default for a
// missing key included, and the text it is written as.
struct Key {
  const char16_t* name;
  void (*read)(const SettingsReader& file, const char16_t* key, Settings& s);
  std::u16string (*write)(const Settings& s);
};

void ReadFolder(const SettingsReader& file, const char16_t* key, Settings& s) {
  const std::u16string def = DefaultFolder();
  std::vector<char16_t> buffer(kPathBuffer, u' ');
  file.GetString(key, def.c_str(), buffer.data(), kPathBuffer);
  const std::u16string_view text(buffer.data(), buffer.size());
  s.CaptureFolder = text.substr(0, text.find(u'\0'));
}

void ReadFormat(const SettingsReader& file, const char16_t* key, Settings& s) {
  // The buffer starts as the code's own three characters; whatever the
  // call leaves in them becomes the code, in capitals.
  std::u16string buffer = s.CaptureFormat.str();
  buffer.resize(4, u'\0');
  file.GetString(key, u"JPG", buffer.data(), 4);
  s.CaptureFormat = std::u16string_view(buffer.data(), 3);
  s.CaptureFormat.ToUpper();
}

// A flag: on for any number but 0 (off when missing), written as "1" or "0".
template <bool Settings::*flag>
void ReadFlag(const SettingsReader& file, const char16_t* key, Settings& s) {
  if (file.GetInt(key, 0) != 0) s.*flag = true;
}
template <bool Settings::*flag>
std::u16string WriteFlag(const Settings& s) {
  return s.*flag ? u"1" : u"0";
}

// In the order a new file holds them.
constexpr Key kKeys[] = {
    {u"path", ReadFolder, [](const Settings& s) { return s.CaptureFolder; }},
    {u"format", ReadFormat, [](const Settings& s) { return s.CaptureFormat.str(); }},
    {u"open", ReadFlag<&Settings::AutoOpen>, WriteFlag<&Settings::AutoOpen>},
    {u"notice", ReadFlag<&Settings::Notice>, WriteFlag<&Settings::Notice>},
    {u"screen", ReadFlag<&Settings::ScreenUnderPointer>, WriteFlag<&Settings::ScreenUnderPointer>},
};

}  // namespace

Settings::Loaded Settings::Load(const std::u16string& exe) {
  using plat::Step;
  Loaded loaded;
  Settings& s = loaded.settings;

  Step([&] {
    if (StartupEntryPresent(exe)) s.RunOnStartUp = true;
  });

  // The settings file's length; a missing file counts as empty.
  loaded.file = ExeSettingsFile();
  Step([&] { loaded.file = SettingsFileToRead(); });
  std::int64_t length = 0;
  Step([&] { length = plat::FileLen(loaded.file); });
  loaded.firstRun = length == 0;

  if (loaded.firstRun) {
    s.RunOnStartUp = true;  // whatever Windows does now
    Step([&] { s.CaptureFolder = DefaultFolder(); });
    s.CaptureFormat = u"JPG";
  } else {
    // In whichever form the file was saved.
    const SettingsReader file(loaded.file);
    for (const Key& key : kKeys) Step([&] { key.read(file, key.name, s); });
  }
  return loaded;
}

void Settings::Save(const std::u16string& file, const std::u16string& exe, const std::u16string& command) const {
  if (RunOnStartUp)
    WriteStartupEntry(exe, command);
  else
    DeleteStartupEntry(exe);

  std::vector<SettingsKey> keys;
  for (const Key& key : kKeys) keys.push_back({key.name, key.write(*this)});
  SaveSettings(file, keys);
}

}  // namespace varnel
