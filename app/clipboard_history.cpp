#include "app/clipboard_history.h"

namespace varnel {

namespace {

// How far back changes are kept: far more than any press waits.
constexpr std::uint32_t kKeepMs = 60000;
constexpr std::size_t kKeepChanges = 64;

// True when a happened before b, also across the tick count's wrap.
bool Earlier(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

}  // namespace

void ClipboardHistory::Changed(std::uint32_t sequence, std::uint32_t time) {
  changes_.push_back({sequence, time});
  while (!changes_.empty() && (changes_.size() > kKeepChanges || time - changes_.front().time > kKeepMs)) {
    oldest_ = changes_.front().sequence;
    changes_.pop_front();
  }
}

std::uint32_t ClipboardHistory::Before(std::uint32_t time) const {
  for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
    if (Earlier(it->time, time)) return it->sequence;
  return oldest_;
}

}  // namespace varnel
