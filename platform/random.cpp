#include "platform/random.h"

#include <cstring>

namespace plat {

RandomSequence RandomSequence::FromTimeOfDay(float seconds) {
  std::uint32_t bits;
  std::memcpy(&bits, &seconds, sizeof bits);
  // Spread the few bits that change between calls over the whole seed.
  return RandomSequence(Mix(bits));
}

}  // namespace plat
