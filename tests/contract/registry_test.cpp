// Registry module against the platform's registry: the same cases run on
// the simulated registry and on Wine's.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/text.h"
#include "shell/registry.h"
#include "tests/support/test_support.h"

namespace {

using plat::kHKeyCurrentUser;
using plat::testing::RawValue;
using plat::testing::ReadRaw;
using plat::testing::SzBytes;
using plat::testing::TestKey;
using plat::testing::Utf16Bytes;
using plat::testing::WriteRaw;
using varnel::FetchValue;
using varnel::TaggedValue;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
};

// Texts travel as UTF-16, so a path in any script is stored whole: as its
// UTF-16 LE bytes and the terminator that Windows wants counted.
TEST_F(RegistryTest, TextRoundTripStoresItsUtf16AndTerminator) {
  struct Row {
    const char16_t* name;
    std::u16string text;
  };
  const Row rows[] = {
      {u"Varnel", u"\"C:\\Tools\\shot.exe\""},
      {u"Accent", u"Caf\u00e9 cr\u00e8me"},
      // The name "Запуск" and the folders "Программы", "Λήψη" and "截图",
      // with a camera outside the basic plane: in no ANSI code page.
      {u"\u0417\u0430\u043f\u0443\u0441\u043a",
       u"\"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\Varnel.exe\""},
      {u"Greek", u"C:\\\u039b\u03ae\u03c8\u03b7"},
      {u"Cjk", u"C:\\\u622a\u56fe \U0001F4F7"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(plat::ToUtf8(row.name));
    varnel::StoreValue(kHKeyCurrentUser, TestKey(), row.name, row.text, 1);
    EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), row.name), TaggedValue(row.text));
    EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), row.name), (RawValue{1, SzBytes(row.text)}));
  }
  EXPECT_EQ(rows[0].text.size(), 19u);
  // Value names match whatever their case, in any script.
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"VARNEL"), TaggedValue(rows[0].text));
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"\u0417\u0410\u041f\u0423\u0421\u041a"),
            TaggedValue(rows[2].text));
}

TEST_F(RegistryTest, StoredTextsReadWithoutTerminators) {
  struct Row {
    const char* what;
    std::vector<std::uint8_t> stored;
    const char16_t* text;
  };
  const Row rows[] = {
      {"no bytes", {}, u""},
      {"a lone terminator", SzBytes(u""), u""},
      {"terminated", SzBytes(u"abc"), u"abc"},
      {"no terminator, as other tools store it", Utf16Bytes(u"abc"), u"abc"},
      {"padding after the terminator", Utf16Bytes(std::u16string_view(u"abc\0\0", 5)), u"abc"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteRaw(kHKeyCurrentUser, TestKey(), u"Varnel", {1, row.stored});
    const TaggedValue v = FetchValue(kHKeyCurrentUser, TestKey(), u"Varnel");
    EXPECT_TRUE(v.IsText());
    EXPECT_EQ(v, TaggedValue(row.text));
    EXPECT_EQ(v.IsBlank(), row.text[0] == u'\0');
  }
}

TEST_F(RegistryTest, DwordIsFourLittleEndianBytes) {
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Five", 5, 4);
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"Five"), (RawValue{4, {5, 0, 0, 0}}));
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Five"), TaggedValue(5));

  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Negative", -2, 4);
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Negative"), TaggedValue(-2));

  // A number stored as text becomes its decimal digits.
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"AsText", 42, 1);
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"AsText"), (RawValue{1, SzBytes(u"42")}));
}

TEST_F(RegistryTest, ShortAndLongDwordData) {
  // Fewer than four bytes fill the low-order bytes only.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Short", {4, {0x34, 0x12}});
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Short"), TaggedValue(0x1234));

  // More than four bytes never run past the integer: the read fails and
  // the value is left as it was.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Long", {4, {1, 2, 3, 4, 5, 6, 7, 8}});
  plat::Hkey key{};
  ASSERT_EQ(plat::RegOpenKeyExW(kHKeyCurrentUser, TestKey().c_str(), 0, 0x3F, &key), 0);
  TaggedValue v(u"untouched");
  EXPECT_EQ(varnel::ReadValueData(key, u"Long", v), plat::kErrorMoreData);
  EXPECT_EQ(v, TaggedValue(u"untouched"));
  plat::RegCloseKey(key);
}

TEST_F(RegistryTest, OtherTypesReadAsEmptyAndAreNeverWritten) {
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Varnel", {plat::kRegExpandSz, SzBytes(u"%windir%")});
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, TestKey(), u"Varnel").IsEmpty());

  plat::Hkey key{};
  ASSERT_EQ(plat::RegOpenKeyExW(kHKeyCurrentUser, TestKey().c_str(), 0, 0x3F, &key), 0);
  TaggedValue v(7);
  EXPECT_EQ(varnel::ReadValueData(key, u"Varnel", v), -1);
  EXPECT_EQ(v, TaggedValue(7));
  EXPECT_EQ(varnel::WriteValueData(key, u"Binary", plat::kRegBinary, u"x"), 0);
  plat::RegCloseKey(key);

  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Binary", u"x", 3);
  EXPECT_FALSE(ReadRaw(kHKeyCurrentUser, TestKey(), u"Binary").has_value());
}

TEST_F(RegistryTest, MissingValuesAndKeys) {
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, TestKey(), u"Nothing").IsEmpty());

  // Removing a value that is not there changes nothing.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Keep", {1, SzBytes(u"k")});
  varnel::RemoveValue(kHKeyCurrentUser, TestKey(), u"Nothing");
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"Keep"), (RawValue{1, SzBytes(u"k")}));
  varnel::RemoveValue(kHKeyCurrentUser, TestKey(), u"Keep");
  EXPECT_FALSE(ReadRaw(kHKeyCurrentUser, TestKey(), u"Keep").has_value());

  // A sub-key that does not exist is not created, and nothing lands in it.
  const std::u16string missing = TestKey() + u"\\Absent";
  varnel::StoreValue(kHKeyCurrentUser, missing, u"Varnel", u"x", 1);
  EXPECT_FALSE(plat::testing::KeyExists(kHKeyCurrentUser, missing));
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, missing, u"Varnel").IsEmpty());
}

// Every outer operation tells its caller how it went; a missing key is
// made only when asked for.
TEST_F(RegistryTest, OutcomesAreReported) {
  const std::u16string missing = TestKey() + u"\\Absent\\Run";
  std::int32_t status = -7;
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, missing, u"Varnel", &status).IsEmpty());
  EXPECT_EQ(status, plat::kErrorFileNotFound);
  EXPECT_EQ(varnel::StoreValue(kHKeyCurrentUser, missing, u"Varnel", u"x", 1), plat::kErrorFileNotFound);
  EXPECT_FALSE(plat::testing::KeyExists(kHKeyCurrentUser, missing));
  EXPECT_FALSE(varnel::KeyWritable(kHKeyCurrentUser, missing));
  EXPECT_EQ(varnel::StoreValue(kHKeyCurrentUser, missing, u"Varnel", u"x", 1, varnel::MissingKey::Create), 0);
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, missing, u"Varnel", &status), TaggedValue(u"x"));
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(varnel::KeyWritable(kHKeyCurrentUser, missing));
  EXPECT_EQ(varnel::RemoveValue(kHKeyCurrentUser, missing, u"Varnel"), 0);
  EXPECT_EQ(varnel::RemoveValue(kHKeyCurrentUser, missing, u"Varnel"), plat::kErrorFileNotFound);

  // Binary values, as Task Manager keeps its switches.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Switch", {plat::kRegBinary, {3, 0, 0, 0, 9}});
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(varnel::FetchBinary(kHKeyCurrentUser, TestKey(), u"Switch", bytes), 0);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{3, 0, 0, 0, 9}));
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Text", {1, SzBytes(u"on")});
  EXPECT_EQ(varnel::FetchBinary(kHKeyCurrentUser, TestKey(), u"Text", bytes), -1);
  EXPECT_EQ(varnel::FetchBinary(kHKeyCurrentUser, TestKey(), u"Nothing", bytes), plat::kErrorFileNotFound);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{3, 0, 0, 0, 9}));  // untouched by the failures
}

// A key that is missing is made, with the ones above it, and then opened
// as it stands.
TEST_F(RegistryTest, CreatingAKeyMakesWhatIsMissing) {
  const std::u16string key = TestKey() + u"\\Explorer\\StartupApproved\\Run";
  for (std::uint32_t expected : {plat::kRegCreatedNewKey, plat::kRegOpenedExistingKey}) {
    plat::Hkey h{};
    std::uint32_t disposition = 0;
    ASSERT_EQ(plat::RegCreateKeyExW(kHKeyCurrentUser, key.c_str(), 0, plat::kKeyAccess3F, &h, &disposition), 0);
    EXPECT_EQ(disposition, expected);
    const std::uint8_t enabled[12] = {2};
    EXPECT_EQ(plat::RegSetValueExW(h, u"Varnel", 0, plat::kRegBinary, enabled, 12), 0);
    EXPECT_EQ(plat::RegCloseKey(h), 0);
  }
  std::vector<std::uint8_t> bytes(12, 0);
  bytes[0] = 2;
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, key, u"Varnel"), (RawValue{plat::kRegBinary, bytes}));
}

TEST_F(RegistryTest, PlatformErrorCodes) {
  plat::Hkey key = plat::HandleOf<plat::Hkey>(123);
  EXPECT_EQ(plat::RegOpenKeyExW(kHKeyCurrentUser, (TestKey() + u"\\Absent").c_str(), 0, 0x3F, &key),
            plat::kErrorFileNotFound);
  EXPECT_EQ(key, plat::Hkey{});

  WriteRaw(kHKeyCurrentUser, TestKey(), u"Text", {1, SzBytes(u"abcdef")});
  ASSERT_EQ(plat::RegOpenKeyExW(kHKeyCurrentUser, TestKey().c_str(), 0, 0x3F, &key), 0);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(plat::RegQueryValueExW(key, u"Text", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(type, 1u);
  EXPECT_EQ(size, 14u);  // the text and its terminator, two bytes each
  std::uint8_t small[3];
  size = sizeof small;
  EXPECT_EQ(plat::RegQueryValueExW(key, u"Text", nullptr, &type, small, &size), plat::kErrorMoreData);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(plat::RegQueryValueExW(key, u"Nothing", nullptr, &type, nullptr, &size), plat::kErrorFileNotFound);
  EXPECT_EQ(plat::RegDeleteValueW(key, u"Nothing"), plat::kErrorFileNotFound);
  EXPECT_EQ(plat::RegCloseKey(key), 0);
  // Querying through a handle that is 0 fails; closing it fails too.
  EXPECT_NE(plat::RegQueryValueExW({}, u"Text", nullptr, &type, nullptr, &size), 0);
  EXPECT_NE(plat::RegCloseKey({}), 0);
}

}  // namespace
