// Registry module against the platform's registry: the same cases run on
// the simulated registry and on Wine's.
#include <gtest/gtest.h>

#include "platform/api.h"
#include "platform/test_support.h"
#include "shell/registry.h"

namespace {

using plat::kHKeyCurrentUser;
using plat::testing::RawValue;
using plat::testing::ReadRaw;
using plat::testing::TestKey;
using plat::testing::WriteRaw;
using varnel::FetchValue;
using varnel::TaggedValue;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }
// A text value as Windows stores it: with its terminator.
std::vector<std::uint8_t> Sz(std::string_view s) {
  auto b = Bytes(s);
  b.push_back(0);
  return b;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::testing::BeginTest(); }
};

TEST_F(RegistryTest, TextRoundTripStoresExactBytesWithoutTerminator) {
  const std::u16string command = u"\"C:\\Tools\\shot.exe\"";
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Varnel", command, 1);
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Varnel"), TaggedValue(command));
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"Varnel"), (RawValue{1, Sz("\"C:\\Tools\\shot.exe\"")}));
  EXPECT_EQ(command.size(), 19u);

  // Text in the single-byte code page survives the trip too.
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Accent", u"Caf\u00e9 cr\u00e8me", 1);
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Accent"), TaggedValue(u"Caf\u00e9 cr\u00e8me"));
}

TEST_F(RegistryTest, EmptyTextReadsBackBlank) {
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Varnel", {1, {}});
  TaggedValue v = FetchValue(kHKeyCurrentUser, TestKey(), u"Varnel");
  EXPECT_TRUE(v.IsText());
  EXPECT_TRUE(v.IsBlank());
  // An empty text as other tools store it, a lone terminator, is blank too,
  // and a terminated text reads without its terminator.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Terminated", {1, {0}});
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, TestKey(), u"Terminated").IsBlank());
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Terminated", {1, Sz("abc")});
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Terminated"), TaggedValue(u"abc"));
}

TEST_F(RegistryTest, DwordIsFourLittleEndianBytes) {
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Five", 5, 4);
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"Five"), (RawValue{4, {5, 0, 0, 0}}));
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Five"), TaggedValue(5));

  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"Negative", -2, 4);
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Negative"), TaggedValue(-2));

  // A number stored as text becomes its decimal digits.
  varnel::StoreValue(kHKeyCurrentUser, TestKey(), u"AsText", 42, 1);
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"AsText"), (RawValue{1, Sz("42")}));
}

TEST_F(RegistryTest, ShortAndLongDwordData) {
  // Fewer than four bytes fill the low-order bytes only.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Short", {4, {0x34, 0x12}});
  EXPECT_EQ(FetchValue(kHKeyCurrentUser, TestKey(), u"Short"), TaggedValue(0x1234));

  // More than four bytes never run past the integer: the read fails and
  // the value is left as it was.
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Long", {4, {1, 2, 3, 4, 5, 6, 7, 8}});
  plat::Handle key = 0;
  ASSERT_EQ(plat::RegOpenKeyExA(kHKeyCurrentUser, "Software\\VarnelTests", 0, 0x3F, &key), 0);
  TaggedValue v(u"untouched");
  EXPECT_EQ(varnel::ReadValueData(key, u"Long", v), plat::kErrorMoreData);
  EXPECT_EQ(v, TaggedValue(u"untouched"));
  plat::RegCloseKey(key);
}

TEST_F(RegistryTest, OtherTypesReadAsEmptyAndAreNeverWritten) {
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Varnel", {plat::kRegExpandSz, Bytes("%windir%\0")});
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, TestKey(), u"Varnel").IsEmpty());

  plat::Handle key = 0;
  ASSERT_EQ(plat::RegOpenKeyExA(kHKeyCurrentUser, "Software\\VarnelTests", 0, 0x3F, &key), 0);
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
  WriteRaw(kHKeyCurrentUser, TestKey(), u"Keep", {1, Sz("k")});
  varnel::RemoveValue(kHKeyCurrentUser, TestKey(), u"Nothing");
  EXPECT_EQ(ReadRaw(kHKeyCurrentUser, TestKey(), u"Keep"), (RawValue{1, Sz("k")}));
  varnel::RemoveValue(kHKeyCurrentUser, TestKey(), u"Keep");
  EXPECT_FALSE(ReadRaw(kHKeyCurrentUser, TestKey(), u"Keep").has_value());

  // A sub-key that does not exist is not created, and nothing lands in it.
  const std::u16string missing = TestKey() + u"\\Absent";
  varnel::StoreValue(kHKeyCurrentUser, missing, u"Varnel", u"x", 1);
  EXPECT_FALSE(plat::testing::KeyExists(kHKeyCurrentUser, missing));
  EXPECT_TRUE(FetchValue(kHKeyCurrentUser, missing, u"Varnel").IsEmpty());
}

TEST_F(RegistryTest, PlatformErrorCodes) {
  plat::Handle key = 123;
  EXPECT_EQ(plat::RegOpenKeyExA(kHKeyCurrentUser, "Software\\VarnelTests\\Absent", 0, 0x3F, &key),
            plat::kErrorFileNotFound);
  EXPECT_EQ(key, 0u);

  WriteRaw(kHKeyCurrentUser, TestKey(), u"Text", {1, Sz("abcdef")});
  ASSERT_EQ(plat::RegOpenKeyExA(kHKeyCurrentUser, "Software\\VarnelTests", 0, 0x3F, &key), 0);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(plat::RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(type, 1u);
  EXPECT_EQ(size, 7u);  // the text and its terminator
  std::uint8_t small[3];
  size = sizeof small;
  EXPECT_EQ(plat::RegQueryValueExA(key, "Text", nullptr, &type, small, &size), plat::kErrorMoreData);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(plat::RegQueryValueExA(key, "Nothing", nullptr, &type, nullptr, &size), plat::kErrorFileNotFound);
  EXPECT_EQ(plat::RegDeleteValueA(key, "Nothing"), plat::kErrorFileNotFound);
  EXPECT_EQ(plat::RegCloseKey(key), 0);
  // Querying through a handle that is 0 fails; closing it fails too.
  EXPECT_NE(plat::RegQueryValueExA(0, "Text", nullptr, &type, nullptr, &size), 0);
  EXPECT_NE(plat::RegCloseKey(0), 0);
}

}  // namespace
