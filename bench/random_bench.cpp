// RandomiseBits on a 3840 x 2160 buffer, in megapixels a second.
#include <benchmark/benchmark.h>

#include "imaging/dib_section.h"

namespace {

void BM_RandomiseBits(benchmark::State& state, bool grey) {
  varnel::cDIBSection dib;
  dib.Create(3840, 2160);
  for (auto _ : state) {
    dib.RandomiseBits(grey);
    benchmark::DoNotOptimize(dib.DIBSectionBitsPtr());
    benchmark::ClobberMemory();
  }
  state.counters["Mpx/s"] = benchmark::Counter(3840.0 * 2160.0 * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// The names are spelled as the benchmarks report them.
// clang-format off
BENCHMARK_CAPTURE(BM_RandomiseBits, grey/3840x2160, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_RandomiseBits, colour/3840x2160, false)->Unit(benchmark::kMillisecond)->UseRealTime();
// clang-format on

}  // namespace

BENCHMARK_MAIN();
