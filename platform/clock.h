// The local date and time, and their formatting with a pattern.
#pragma once

#include <string>
#include <string_view>

namespace plat {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

LocalTime Now();

// Replaces YYYY by the four-digit year and MM, DD, HH, NN, SS by the month,
// day, hour (00 to 23), minute and second in two digits; every other
// character is taken literally, whatever the regional settings say.
std::u16string FormatDateTime(const LocalTime& t, std::u16string_view pattern);

}  // namespace plat
