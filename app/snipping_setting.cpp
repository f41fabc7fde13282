#include "app/snipping_setting.h"

#include "platform/api.h"
#include "platform/types.h"
#include "shell/registry.h"

namespace varnel {

namespace {

// The first build of Windows 11.
constexpr std::uint32_t kWindows11Build = 22000;

bool IsWindows11OrLater() {
  plat::OsVersionInfo version{};
  if (plat::RtlGetVersion(&version) != 0) return false;
  return version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= kWindows11Build);
}

}  // namespace

bool PrintScreenOpensSnipping() {
  const TaggedValue value =
      FetchValue(plat::kHKeyCurrentUser, u"Control Panel\\Keyboard", u"PrintScreenKeyForSnippingEnabled");
  if (value.IsInteger()) return value.ToInteger() == 1;
  return IsWindows11OrLater();
}

}  // namespace varnel
