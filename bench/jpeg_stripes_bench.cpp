// The JPEG library's encoder cut into stripes on the run's threads against
// the same encoder in one piece on one thread, 3840 x 2160 at quality 90,
// both contents of bench/contents.h: on every core of the machine (target
// at least 1.6 times faster on 2 idle cores), and with the whole process
// held on one core, where the stripes can only take turns (target at most
// 1.05 times slower). Each iteration runs both sides, taking turns at going
// first; the Time column is the striped side's, and the counters give the
// medians of both in milliseconds and the speed-up (one thread / stripes).
// The encoder alone: the file write that follows is the same for both.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sched.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/contents.h"
#include "bench/in_turns.h"
#include "imaging/dib_section.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/work_pool.h"

namespace {

using varnel::bench::Content;
using varnel::bench::InTurns;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Every thread of the process on the given processors (the pool's threads
// are already running: each is moved by its id).
void HoldProcess(const cpu_set_t& cpus) {
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return;
  while (dirent* e = readdir(tasks))
    if (e->d_name[0] != '.') sched_setaffinity(static_cast<pid_t>(std::atoi(e->d_name)), sizeof cpus, &cpus);
  closedir(tasks);
}

void BM_StripesVsOneThread(benchmark::State& state, Content content, bool oneCore) {
  constexpr int w = 3840, h = 2160;
  varnel::cDIBSection dib;
  if (!dib.Create(w, h)) {
    state.SkipWithError("no buffer");
    return;
  }
  varnel::bench::Paint(dib, content);
  const varnel::jpeg::JpegInput input{dib.DIBSectionBitsPtr(), w, h, dib.BytesPerScanLine(), true, false, 90, 1, 1};
  const varnel::jpeg::StripeSettings all = varnel::jpeg::DefaultStripeSettings();
  const varnel::jpeg::StripeSettings one{1, all.minPixels};
  bool failed = false;
  auto encode = [&](varnel::jpeg::StripeSettings settings) {
    varnel::jpeg::SetStripeSettings(settings);
    const std::uint8_t* jpeg = nullptr;
    std::size_t size = 0;
    failed = failed || varnel::jpeg::EncodeJpeg(input, &jpeg, &size) != varnel::jpeg::EncodeResult::Ok;
    benchmark::DoNotOptimize(jpeg);
  };
  auto stripes = [&] { encode(all); };
  auto single = [&] { encode(one); };

  cpu_set_t before;
  sched_getaffinity(0, sizeof before, &before);
  if (oneCore) {
    cpu_set_t first;
    CPU_ZERO(&first);
    for (std::size_t c = 0; c < CPU_SETSIZE; ++c)
      if (CPU_ISSET(c, &before)) {
        CPU_SET(c, &first);
        break;
      }
    HoldProcess(first);
  }
  stripes();  // the buffers grow to this picture's size before timing
  single();
  std::vector<double> stripedTimes, singleTimes;
  InTurns turns;
  for (auto _ : state) {
    const auto [striped, alone] = turns.Time(stripes, single);
    stripedTimes.push_back(striped);
    singleTimes.push_back(alone);
    state.SetIterationTime(striped);
  }
  if (oneCore) HoldProcess(before);
  varnel::jpeg::SetStripeSettings(all);
  if (failed) state.SkipWithError("the encoder failed");
  const double stripedMedian = Median(stripedTimes), singleMedian = Median(singleTimes);
  state.counters["stripes_ms"] = 1000 * stripedMedian;
  state.counters["one_thread_ms"] = 1000 * singleMedian;
  state.counters["speedup"] = singleMedian / stripedMedian;
  state.counters["stripes"] = all.stripes;
}

// The arguments spell the benchmark's name, so they stay bare.
// NOLINTBEGIN(bugprone-macro-parentheses)
// The names are spelled as the benchmarks report them.
// clang-format off
#define VARNEL_STRIPES_BENCH(content, where, oneCore)                                          \
  BENCHMARK_CAPTURE(BM_StripesVsOneThread, content/3840x2160/where, Content::content, oneCore) \
      ->UseManualTime()                                                                        \
      ->Unit(benchmark::kMillisecond)
// clang-format on
// NOLINTEND(bugprone-macro-parentheses)

VARNEL_STRIPES_BENCH(Screen, all_cores, false);
VARNEL_STRIPES_BENCH(Photo, all_cores, false);
VARNEL_STRIPES_BENCH(Screen, one_core, true);
VARNEL_STRIPES_BENCH(Photo, one_core, true);

}  // namespace
