#include "imaging/png_filters.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define VARNEL_X86 1
#include <emmintrin.h>
#define VARNEL_SSE2 __attribute__((target("sse2")))
#endif

namespace varnel::png {

namespace {

enum Filter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth };

// A filtered byte as libpng's writer weighs it: its distance from zero
// taken as a signed byte.
inline std::uint32_t Weight(std::uint8_t v) { return v < 128 ? v : 256u - v; }

inline std::uint8_t PaethPredictor(std::int32_t a, std::int32_t b, std::int32_t c) {
  const std::int32_t pa = b > c ? b - c : c - b;  // |p - a| for p = a + b - c
  const std::int32_t pb = a > c ? a - c : c - a;
  const std::int32_t pc = a + b - 2 * c > 0 ? a + b - 2 * c : 2 * c - a - b;
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Byte i of a red, green, blue row is byte i + 2, i or i - 2 of the blue,
// green, red row, by i's place in its pixel.
inline void SwapBytes(const std::uint8_t* from, std::uint8_t* to, std::int32_t begin, std::int32_t end) {
  for (std::int32_t i = begin; i < end; ++i) to[i] = from[i + 2 - 2 * (i % 3)];
}

// The four filters of `n` bytes of `row` under `above` (both with zero
// bytes before them) into tries[0..3] (Sub, Up, Average, Paeth); sums[f]
// gets the weight of filter f's bytes.
void FilterPortable(const std::uint8_t* row, const std::uint8_t* above, std::int32_t n, std::uint8_t* const* tries,
                    std::uint64_t* sums) {
  std::uint64_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t x = row[i], a = row[i - 3], b = above[i], c = above[i - 3];
    const auto s = static_cast<std::uint8_t>(x - a);
    const auto u = static_cast<std::uint8_t>(x - b);
    const auto v = static_cast<std::uint8_t>(x - ((a + b) >> 1));
    const auto p = static_cast<std::uint8_t>(x - PaethPredictor(a, b, c));
    tries[0][i] = s;
    tries[1][i] = u;
    tries[2][i] = v;
    tries[3][i] = p;
    none += Weight(static_cast<std::uint8_t>(x));
    sub += Weight(s);
    up += Weight(u);
    average += Weight(v);
    paeth += Weight(p);
  }
  sums[kNone] = none;
  sums[kSub] = sub;
  sums[kUp] = up;
  sums[kAverage] = average;
  sums[kPaeth] = paeth;
}

// Copies n bytes; returns how many are zero.
std::uint64_t CopyPortable(const std::uint8_t* from, std::uint8_t* to, std::int32_t n) {
  std::uint64_t zeros = 0;
  for (std::int32_t i = 0; i < n; ++i) zeros += (to[i] = from[i]) == 0;
  return zeros;
}

#ifdef VARNEL_X86

// For a block of 16 bytes starting at a byte whose place in its pixel is
// `phase`: which bytes come from 2 bytes on, from the same place, and from
// 2 bytes back.
struct SwapMasks {
  alignas(16) std::uint8_t bytes[3][3][16];
};
constexpr SwapMasks MakeSwapMasks() {
  SwapMasks m{};
  for (int phase = 0; phase < 3; ++phase)
    for (int j = 0; j < 16; ++j) m.bytes[phase][(phase + j) % 3][j] = 0xFF;
  return m;
}
constexpr SwapMasks kSwapMasks = MakeSwapMasks();

VARNEL_SSE2 inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
VARNEL_SSE2 inline void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

VARNEL_SSE2 void SwapSse2(const std::uint8_t* from, std::uint8_t* to, std::int32_t n) {
  SwapBytes(from, to, 0, n < 2 ? n : 2);
  std::int32_t o = 2;
  int phase = 2;
  for (; o + 18 <= n; o += 16, phase = phase == 2 ? 0 : phase + 1) {
    const auto* mask = kSwapMasks.bytes[phase];
    const __m128i right = _mm_and_si128(Load(from + o + 2), _mm_load_si128(reinterpret_cast<const __m128i*>(mask[0])));
    const __m128i same = _mm_and_si128(Load(from + o), _mm_load_si128(reinterpret_cast<const __m128i*>(mask[1])));
    const __m128i left = _mm_and_si128(Load(from + o - 2), _mm_load_si128(reinterpret_cast<const __m128i*>(mask[2])));
    Store(to + o, _mm_or_si128(_mm_or_si128(right, same), left));
  }
  SwapBytes(from, to, o < n ? o : n, n);
}

// x <= y for each unsigned byte, as a mask.
VARNEL_SSE2 inline __m128i AtMost(__m128i x, __m128i y) { return _mm_cmpeq_epi8(_mm_min_epu8(x, y), x); }

// The Paeth predictor of 16 bytes.
VARNEL_SSE2 inline __m128i Paeth(__m128i a, __m128i b, __m128i c) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i cb = _mm_subs_epu8(c, b), ca = _mm_subs_epu8(c, a);
  const __m128i pa = _mm_or_si128(_mm_subs_epu8(b, c), cb);  // |b - c|
  const __m128i pb = _mm_or_si128(_mm_subs_epu8(a, c), ca);  // |a - c|
  // |a + b - 2c|: the sum of the two when b - c and a - c have the same
  // sign, else their difference. A sum over 255 saturates, which leaves
  // its comparisons with pa and pb (at most 255) as they were.
  const __m128i same = _mm_cmpeq_epi8(_mm_cmpeq_epi8(cb, zero), _mm_cmpeq_epi8(ca, zero));
  const __m128i difference = _mm_or_si128(_mm_subs_epu8(pa, pb), _mm_subs_epu8(pb, pa));
  const __m128i pc = _mm_or_si128(_mm_and_si128(same, _mm_adds_epu8(pa, pb)), _mm_andnot_si128(same, difference));
  const __m128i useA = _mm_and_si128(AtMost(pa, pb), AtMost(pa, pc));
  const __m128i useB = AtMost(pb, pc);
  const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, c));
  return _mm_or_si128(_mm_and_si128(useA, a), _mm_andnot_si128(useA, bOrC));
}

// The weights of 16 filtered bytes added into two 64-bit lanes of `sum`.
VARNEL_SSE2 inline __m128i AddWeights(__m128i sum, __m128i v, __m128i keep) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i weight = _mm_and_si128(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), keep);
  return _mm_add_epi64(sum, _mm_sad_epu8(weight, zero));
}

VARNEL_SSE2 std::uint64_t Total(__m128i sum) {
  alignas(16) std::uint64_t lanes[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sum);
  return lanes[0] + lanes[1];
}

// FilterPortable's work 16 bytes at a time. Reads and writes up to 15
// bytes past the end of every row; the bytes read there are zero.
VARNEL_SSE2 void FilterSse2(const std::uint8_t* row, const std::uint8_t* above, std::int32_t n,
                            std::uint8_t* const* tries, std::uint64_t* sums) {
  static constexpr std::uint8_t kTail[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1), all = _mm_set1_epi8(-1);
  __m128i none = zero, sub = zero, up = zero, average = zero, paeth = zero;
  for (std::int32_t i = 0; i < n; i += 16) {
    const __m128i keep = n - i >= 16 ? all : Load(kTail + 16 - (n - i));
    const __m128i x = Load(row + i), a = Load(row + i - 3), b = Load(above + i), c = Load(above + i - 3);
    const __m128i s = _mm_sub_epi8(x, a);
    const __m128i u = _mm_sub_epi8(x, b);
    // (a + b) >> 1 from the rounding-up average.
    const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    const __m128i v = _mm_sub_epi8(x, mean);
    const __m128i p = _mm_sub_epi8(x, Paeth(a, b, c));
    Store(tries[0] + i, s);
    Store(tries[1] + i, u);
    Store(tries[2] + i, v);
    Store(tries[3] + i, p);
    none = AddWeights(none, x, keep);
    sub = AddWeights(sub, s, keep);
    up = AddWeights(up, u, keep);
    average = AddWeights(average, v, keep);
    paeth = AddWeights(paeth, p, keep);
  }
  sums[kNone] = Total(none);
  sums[kSub] = Total(sub);
  sums[kUp] = Total(up);
  sums[kAverage] = Total(average);
  sums[kPaeth] = Total(paeth);
}

// CopyPortable 16 bytes at a time.
VARNEL_SSE2 std::uint64_t CopySse2(const std::uint8_t* from, std::uint8_t* to, std::int32_t n) {
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1);
  __m128i zeros = zero;
  std::int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i v = Load(from + i);
    Store(to + i, v);
    zeros = _mm_add_epi64(zeros, _mm_sad_epu8(_mm_and_si128(_mm_cmpeq_epi8(v, zero), one), zero));
  }
  return Total(zeros) + CopyPortable(from + i, to + i, n - i);
}

#endif  // VARNEL_X86

}  // namespace

const char* Name(Kernel kernel) { return kernel == Kernel::Sse2 ? "SSE2" : "portable"; }

bool Supported(Kernel kernel) {
  switch (kernel) {
    case Kernel::Portable: return true;
#ifdef VARNEL_X86
    case Kernel::Sse2: __builtin_cpu_init(); return __builtin_cpu_supports("sse2");
#endif
    default: return false;
  }
}

Kernel Best() { return Supported(Kernel::Sse2) ? Kernel::Sse2 : Kernel::Portable; }

RowFilter::RowFilter(std::int32_t width, Kernel kernel)
    : kernel_(kernel),
      bytes_(3 * width),
      lineSize_(kMargin + (static_cast<std::ptrdiff_t>(bytes_) + 15) / 16 * 16 + 16),
      lines_(static_cast<std::size_t>(6 * lineSize_)) {}

void RowFilter::Start(const std::uint8_t* above) {
  std::uint8_t* line = Line(current_);
  if (above == nullptr) {
    std::memset(line, 0, static_cast<std::size_t>(bytes_));
#ifdef VARNEL_X86
  } else if (kernel_ == Kernel::Sse2) {
    SwapSse2(above, line, bytes_);
#endif
  } else {
    SwapBytes(above, line, 0, bytes_);
  }
}

void RowFilter::Next(const std::uint8_t* row, std::uint8_t* out) {
  const std::uint8_t* above = Line(current_);
  current_ ^= 1;
  std::uint8_t* line = Line(current_);
  std::uint8_t* const tries[4] = {Line(2), Line(3), Line(4), Line(5)};
  std::uint64_t sums[5];
#ifdef VARNEL_X86
  if (kernel_ == Kernel::Sse2) {
    SwapSse2(row, line, bytes_);
    FilterSse2(line, above, bytes_, tries, sums);
  } else
#endif
  {
    SwapBytes(row, line, 0, bytes_);
    FilterPortable(line, above, bytes_, tries, sums);
  }
  int best = kNone;
  for (int f = kSub; f <= kPaeth; ++f)
    if (sums[f] < sums[best]) best = f;
  out[0] = static_cast<std::uint8_t>(best);
  const std::uint8_t* chosen = best == kNone ? line : tries[best - 1];
#ifdef VARNEL_X86
  if (kernel_ == Kernel::Sse2) {
    zeros_ += CopySse2(chosen, out + 1, bytes_);
    return;
  }
#endif
  zeros_ += CopyPortable(chosen, out + 1, bytes_);
}

}  // namespace varnel::png
