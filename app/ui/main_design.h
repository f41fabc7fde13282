// The design of the one window: caption, client size and every control
// with its caption, place and size in twips, and tab order.
#pragma once

#include "platform/toolkit.h"

namespace varnel {

plat::FormDesign MainDesign();

}  // namespace varnel
