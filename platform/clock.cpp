#include "platform/clock.h"

namespace plat {

namespace {

void AppendDigits(std::u16string& out, int value, int digits) {
  std::u16string s;
  for (int i = 0; i < digits; ++i, value /= 10) s.insert(s.begin(), static_cast<char16_t>(u'0' + value % 10));
  out += s;
}

}  // namespace

std::u16string FormatDateTime(const LocalTime& t, std::u16string_view pattern) {
  std::u16string out;
  for (std::size_t i = 0; i < pattern.size();) {
    auto rest = pattern.substr(i);
    if (rest.starts_with(u"YYYY")) {
      AppendDigits(out, t.year, 4);
      i += 4;
      continue;
    }
    int value = -1;
    if (rest.starts_with(u"MM"))
      value = t.month;
    else if (rest.starts_with(u"DD"))
      value = t.day;
    else if (rest.starts_with(u"HH"))
      value = t.hour;
    else if (rest.starts_with(u"NN"))
      value = t.minute;
    else if (rest.starts_with(u"SS"))
      value = t.second;
    if (value >= 0) {
      AppendDigits(out, value, 2);
      i += 2;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

}  // namespace plat
