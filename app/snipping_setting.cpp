#include "app/snipping_setting.h"

#include "platform/types.h"
#include "shell/registry.h"

namespace varnel {

bool PrintScreenOpensSnipping() {
  const TaggedValue value =
      FetchValue(plat::kHKeyCurrentUser, u"Control Panel\\Keyboard", u"PrintScreenKeyForSnippingEnabled");
  return value.IsInteger() && value.ToInteger() == 1;
}

}  // namespace varnel
