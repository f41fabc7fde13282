// The version resource of the built Varnel.exe, as Explorer's Properties,
// Details reads it.
#include <gtest/gtest.h>

#include "tests/wine/driver.h"

namespace {

std::wstring Widen(const char* s) { return std::wstring(s, s + std::char_traits<char>::length(s)); }

TEST(VersionE2E, TheExeNamesItselfAndItsVersion) {
  const auto v = e2e::ReadVersionResource(e2e::BuiltFile(L"Varnel.exe"));
  const std::wstring version = Widen(VARNEL_VERSION);
  EXPECT_EQ(v.fixed, version + L".0");
  const struct {
    const wchar_t* name;
    std::wstring text;
  } rows[] = {
      {L"FileVersion", version},
      {L"ProductVersion", version},
      {L"ProductName", L"Varnel"},
      {L"FileDescription", L"Varnel screen capture"},
      {L"CompanyName", L"the Varnel authors"},
      {L"LegalCopyright", L"Copyright (c) 2026 the Varnel authors"},
      {L"OriginalFilename", L"Varnel.exe"},
  };
  for (const auto& row : rows) {
    const auto it = v.strings.find(row.name);
    EXPECT_TRUE(it != v.strings.end() && it->second == row.text) << std::string(row.name, row.name + wcslen(row.name));
  }
}

}  // namespace
