// The clipboard's recent changes, as Windows reported them, with their
// times: what the clipboard held at a given moment of the last seconds.
// A capture takes only a picture put there after its press began; this
// tells which sequence number the clipboard had just before that, whether
// the report of the picture came before the press or after it.
#pragma once

#include <cstdint>
#include <deque>

namespace varnel {

class ClipboardHistory {
 public:
  // sequence: GetClipboardSequenceNumber() now, before any report.
  explicit ClipboardHistory(std::uint32_t sequence = 0) : oldest_(sequence) {}

  // A change reported by Windows: the sequence number it left, and when it
  // was reported (GetTickCount's clock).
  void Changed(std::uint32_t sequence, std::uint32_t time);
  // The sequence number the clipboard had before `time`: that of the
  // newest change reported earlier. A change with another number came at
  // `time` or later. Times within the last minute are told apart.
  std::uint32_t Before(std::uint32_t time) const;

 private:
  struct Change {
    std::uint32_t sequence;
    std::uint32_t time;
  };
  std::uint32_t oldest_;        // the sequence number before every change kept
  std::deque<Change> changes_;  // oldest first
};

}  // namespace varnel
