// The date and time of day from the system's local time.
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/win32/win.h"

namespace plat {

LocalTime Now() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

float Timer() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return static_cast<float>(t.wHour * 3600 + t.wMinute * 60 + t.wSecond) +
         static_cast<float>(t.wMilliseconds) / 1000.0f;
}

}  // namespace plat
