// Text conversions that settings files go through: UTF-8 as a file saved by
// hand may hold it, and the ANSI code page. The same cases on the simulated
// platform and on Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace {

// The lenient reading of a file marked as UTF-8. A byte that is not UTF-8
// (an ANSI "é" left in the file, say) once took the bytes after it along,
// line break included, so that the next section header joined its line and
// the settings in it were lost; now each bad run is one U+FFFD and what
// follows is read for itself.
TEST(TextTest, Utf8ReadLeniently) {
  struct Row {
    const char* what;
    std::string bytes;
    std::u16string text;
  };
  const Row rows[] = {
      {"well-formed", "Caf\xC3\xA9 \xD0\xA4 \xF0\x9F\x98\x80", u"Caf\u00E9 \u0424 \U0001F600"},
      {"a byte that is no UTF-8 before a line break", "keep=Caf\xE9\r\n[main]", u"keep=Caf\uFFFD\r\n[main]"},
      {"a sequence cut short by a bracket", "\xE2\x82[main]", u"\uFFFD[main]"},
      {"a sequence cut short by the end", "a\xF0\x9F\x98", u"a\uFFFD"},
      {"an overlong slash", "\xC0\xAF/", u"\uFFFD\uFFFD/"},
      {"past U+10FFFF", "\xF4\x90\x80\x80!", u"\uFFFD\uFFFD\uFFFD\uFFFD!"},
      {"a lone surrogate as ToUtf8 writes it", "\xED\xA0\x80x", std::u16string(1, char16_t{0xD800}) + u"x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(plat::FromUtf8(row.bytes), row.text);
    if (row.text.find(u'\uFFFD') == std::u16string::npos) {
      EXPECT_EQ(plat::ToUtf8(row.text), row.bytes);
    }
  }
}

// Every byte of the code page comes back from it as it was, the unassigned
// ones of Windows-1252 too: an ANSI settings file written back keeps the
// bytes of its other lines.
TEST(TextTest, AnsiBytesComeBack) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  EXPECT_EQ(plat::ToAnsi(plat::FromAnsi(bytes)), bytes);
}

}  // namespace
