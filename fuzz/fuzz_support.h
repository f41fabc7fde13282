// What the fuzz targets share: a property check that stops the run with a
// message, and the simulated machine on which the settings targets start
// Varnel (the exe in C:\Tools, a user whose profile is C:\Users\ann, her
// desktop and application data), in a sandbox under the temporary folder
// (scripts/fuzz.sh points TMPDIR into build/).
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/sim/sim.h"
#include "platform/types.h"
#include "platform/text.h"
#include "tests/sim/anns_machine.h"

namespace varnel::fuzz {

// A broken property is a finding: libFuzzer keeps the input that broke it.
inline void Require(bool holds, std::string_view property, std::u16string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: property broken: %.*s\n", static_cast<int>(property.size()), property.data());
  if (!detail.empty()) {
    // Control characters shown as \xNN, so that the whole text shows.
    std::string shown;
    for (char c : plat::ToUtf8(detail)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      shown += static_cast<unsigned char>(c) < 0x20 ? std::string(hex) : std::string(1, c);
    }
    std::fprintf(stderr, "fuzz: %s\n", shown.c_str());
  }
  std::abort();
}

inline const std::filesystem::path& Sandbox() {
  static const std::filesystem::path sandbox = [] {
    const auto folder = std::filesystem::temp_directory_path() / ("varnel-fuzz-" + std::to_string(::getpid()));
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Sandbox(), ec);
    });
    return folder;
  }();
  return sandbox;
}

inline constexpr char16_t kSettingsFile[] = u"C:\\Tools\\Varnel.ini";

// Varnel installed, never run. A full reset of the simulated machine costs
// more than a run of Varnel (the screen's memory is made anew), so it is
// done every 256 inputs; in between, what a run leaves behind is taken
// away: the settings files, the start-up entry (with Explorer's switch for
// it) and the call log.
inline void FreshMachine() {
  static unsigned inputs = 0;
  if (inputs++ % 256 == 0) {
    sim::Reset(Sandbox());
    testing::SetUpAnnsMachine();
    return;
  }
  std::error_code ec;
  for (const char* leftover :
       {"C:\\Tools\\Varnel.ini", "C:\\Tools\\Varnel.ini.new", "C:\\Users\\ann\\AppData\\Roaming\\Varnel"})
    std::filesystem::remove_all(sim::HostPath(leftover), ec);
  constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  sim::DeleteKey(plat::kHKeyCurrentUser, kRun);
  sim::CreateKey(plat::kHKeyCurrentUser, kRun);
  sim::DeleteKey(plat::kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
  sim::ClearCalls();
}

// The form in which Varnel reads a settings file: by its byte-order mark,
// else as UTF-8 when it is well-formed UTF-8 with a byte above 127, else
// in the ANSI code page.
enum class FileForm { Ansi, Utf8, Utf8Marked, Utf16 };
inline FileForm FormOf(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") return FileForm::Utf16;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return FileForm::Utf8Marked;
  const bool ascii =
      std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return !ascii && plat::DecodeUtf8(bytes) ? FileForm::Utf8 : FileForm::Ansi;
}

// An ANSI file whose only bytes that are not UTF-8 stood in what Varnel
// writes back cut (a folder at its first NUL, the format code after three
// characters, the flag after its number) is taken for UTF-8 once they are
// gone, and its other lines then read differently: a limit of telling the
// two forms apart by their content.
inline bool TakenForUtf8(std::string_view before, std::string_view after) {
  return FormOf(before) == FileForm::Ansi && FormOf(after) == FileForm::Utf8;
}

inline void WriteHostFile(std::u16string_view path, std::string_view bytes) {
  std::ofstream(sim::HostPath(path), std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> ReadHostFile(std::u16string_view path) {
  std::ifstream in(sim::HostPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace varnel::fuzz
