// Uniform random draws in [0, 1), and the time of day that seeds them.
#pragma once

#include <cstdint>

namespace plat {

// Seconds since local midnight, with their fraction.
float Timer();

// A sequence of uniform draws in [0, 1), 24 random bits each. It is the
// SplitMix64 sequence: draw k is a mix of seed + (k + 1) x the golden
// ratio, so any draw can be had directly, without those before it, and a
// loop may visit the draws in an order other than their numbering.
class RandomSequence {
 public:
  explicit RandomSequence(std::uint64_t seed) : seed_(seed) {}
  // Seeded from the time of day.
  static RandomSequence FromTimeOfDay(float seconds);

  // The next draw in order.
  float Next() { return At(next_++); }
  // The 24 bits of draw k: the draw is Bits24(k) / 2^24.
  std::uint32_t Bits24(std::uint64_t k) const {
    return static_cast<std::uint32_t>(Mix(seed_ + (k + 1) * 0x9E3779B97F4A7C15ull) >> 40);
  }
  float At(std::uint64_t k) const { return static_cast<float>(Bits24(k)) * (1.0f / 16777216.0f); }

  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t seed_;
  std::uint64_t next_ = 0;
};

}  // namespace plat
