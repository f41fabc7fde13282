// One run of Varnel on the simulated machine, as the settings targets see
// it: the settings its start read from the file, and its end, which writes
// them back; and two keys of the file that are not Varnel's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/settings_file.h"
#include "fuzz/fuzz_support.h"
#include "platform/sim/sim.h"

namespace varnel::fuzz {

struct ReadSettings {
  bool firstRun;  // the window shown: no settings in the file
  std::u16string folder;
  std::u16string format;  // the three characters of the code
  bool open;
};

// Starts Varnel (its window loaded) and tells what it read.
inline std::unique_ptr<Main> Start(ReadSettings* read) {
  auto main = std::make_unique<Main>();
  main->Form().Load();
  *read = {main->Form().Visible(), main->settings.CaptureFolder, main->settings.CaptureFormat.str(),
           main->settings.AutoOpen};
  return main;
}

// Ends it as a close request does: the settings are written back.
inline void End(std::unique_ptr<Main> main) {
  sim::CloseRequest();
  main.reset();
}

// Two keys of the settings section that Varnel leaves alone, as it reads
// them from the settings file.
inline std::array<std::u16string, 2> UntouchedKeys() {
  const SettingsReader reader(kSettingsFile);
  std::array<std::u16string, 2> values;
  const char16_t* keys[] = {u"keep", u"view"};
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::u16string buffer(1024, u'\0');
    buffer.resize(reader.GetString(keys[i], u"(missing)", buffer.data(), static_cast<std::uint32_t>(buffer.size())));
    values[i] = buffer;
  }
  return values;
}

}  // namespace varnel::fuzz
