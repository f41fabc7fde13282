// A simulated machine with Varnel installed in C:\Tools and a user whose
// profile is C:\Users\ann, with her desktop and application data there.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "platform/sim/sim.h"
#include "platform/text.h"
#include "tests/sim/anns_machine.h"
#include "tests/support/test_support.h"

namespace varnel::testing {

inline constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SimMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::testing::BeginTest();
    SetUpAnnsMachine();
  }
  void TearDown() override { main_.reset(); }

  // Starts the program: the window is created hidden and loaded.
  Main& Start() {
    main_ = std::make_unique<Main>();
    main_->Form().Load();
    return *main_;
  }
  Main& main() { return *main_; }
  plat::Form& form() { return main_->Form(); }

  static std::optional<std::string> Ini() { return plat::testing::ReadFileBytes(u"C:\\Tools\\Varnel.ini"); }
  static void WriteIni(const std::string& text) { plat::testing::WriteFileBytes(u"C:\\Tools\\Varnel.ini", text); }
  // The per-user settings, %APPDATA%\Varnel\Varnel.ini.
  static constexpr char16_t kUserIni[] = u"C:\\Users\\ann\\AppData\\Roaming\\Varnel\\Varnel.ini";
  static std::optional<std::string> UserIni() { return plat::testing::ReadFileBytes(kUserIni); }
  // The Run entry's text in UTF-8, without its stored terminator; a value
  // that is not whole UTF-16 characters shows as "(odd bytes)".
  static std::optional<std::string> RunEntry(plat::Hkey root) {
    auto v = sim::GetRawValue(root, kRun, "Varnel");
    if (!v) return std::nullopt;
    if (v->data.size() % 2) return "(odd bytes)";
    std::u16string text;
    for (std::size_t i = 0; i < v->data.size(); i += 2)
      text += static_cast<char16_t>(v->data[i] | (v->data[i + 1] << 8));
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    return plat::ToUtf8(text);
  }

 private:
  std::unique_ptr<Main> main_;
};

}  // namespace varnel::testing
