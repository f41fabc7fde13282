// A settings file saved as UTF-8 is read and written by the rules the
// profile functions follow for the forms they know: the same hand-edited
// text gives the same settings, and is written back the same, saved as
// UTF-8 as saved as UTF-16.
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using plat::testing::Utf16File;
using ProfileTextTest = SimMachine;

std::u16string FromUtf16(std::string_view bytes) {
  std::u16string out;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return out;
}

TEST_F(ProfileTextTest, Utf8ReadsAsTheProfileFunctionsRead) {
  const char16_t* texts[] = {
      // Line feeds alone, and a carriage return left at the very end.
      u"[main]\nopen=1\nformat=bmp\npath=C:\\\u0424\r",
      u"[Main]\r\n  PATH = \"C:\\\u0424 \" \r\nFormat = 'bmp'\r\nopen= 2x\r\n",
      // A header without its bracket still opens the section; the first counts.
      u"[main\r\npath='C:\\\u0424'\r\n[main]\r\npath=C:\\b\r\nopen=1\r\n",
      u"[other]\r\npath=C:\\\u0424\r\n[main]\r\nformat\r\nopen=-1\r\n\r\n",
  };
  for (const char16_t* text : texts) {
    SCOPED_TRACE(plat::ToUtf8(text));
    SetUp();
    WriteIni(plat::ToUtf8(text));
    const Main& utf8 = Start();
    const std::u16string folder = utf8.settings.CaptureFolder, format = utf8.settings.CaptureFormat.str();
    const bool open = utf8.settings.AutoOpen;
    SetUp();
    WriteIni(Utf16File(text));
    const Main& utf16 = Start();
    EXPECT_EQ(folder, utf16.settings.CaptureFolder);
    EXPECT_EQ(format, utf16.settings.CaptureFormat.str());
    EXPECT_EQ(open, utf16.settings.AutoOpen);
  }
}

// The format code of a value shorter than three characters ends in NULs,
// which the profile functions never write: neither does a UTF-8 file.
TEST_F(ProfileTextTest, Utf8IsWrittenAsTheProfileFunctionsWrite) {
  const char16_t* texts[] = {
      u"[main]\r\npath=C:\\\u0424\r\nformat=bm\r\nopen=1\r\n",
      u"[main]\r\npath=C:\\\u0424\r\nformat=\r\n",
  };
  for (const char16_t* text : texts) {
    SCOPED_TRACE(plat::ToUtf8(text));
    SetUp();
    WriteIni(plat::ToUtf8(text));
    Start();
    sim::CloseRequest();
    const std::u16string utf8 = plat::FromUtf8(Ini().value_or(""));
    SetUp();
    WriteIni(Utf16File(text));
    Start();
    sim::CloseRequest();
    EXPECT_EQ(utf8, FromUtf16(Ini().value_or("")));
  }
}

}  // namespace
}  // namespace varnel::testing
