// SaveDibAsJpeg against a bare tjCompress2 call with the same settings on
// the same buffer, into an output buffer sized once with tjBufSize and
// reused (TJFLAG_NOREALLOC), followed by the same file write: the writer's
// cost over the encoder it wraps. The writer encodes in one piece on one
// thread here, as the bare call does (bench/jpeg_stripes_bench.cpp times
// the stripes). Each iteration runs both, taking turns at going first, so
// that a busy machine slows both alike; the Time column is the writer's,
// and the counters give both in milliseconds and their ratio (target: at
// most 1.05).
//
// Both contents of bench/contents.h, each at 1920 x 1080 and 3840 x 2160.
// Runs on the simulated platform: files go to a sandbox folder, each
// written as a new file, as the capture service does.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/contents.h"
#include "bench/in_turns.h"
#include "bench/sandbox.h"
#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "imaging/jpeg_encoder.h"
#include "platform/sim/sim.h"
#include "platform/files.h"
#include "platform/toolkit.h"

namespace {

using varnel::cDIBSection;
using varnel::bench::Content;
using varnel::bench::InTurns;

// The sandbox is made before any benchmark runs.
const bool kSandbox = (varnel::bench::UseSandbox(), true);

void BM_WriterVsBareEncoder(benchmark::State& state, Content content, int w, int h) {
  cDIBSection dib;
  if (!dib.Create(w, h)) {
    state.SkipWithError("no buffer");
    return;
  }
  varnel::bench::Paint(dib, content);

  const std::u16string name = u"C:\\bench\\capture.jpg";
  const std::filesystem::path bareHost = sim::HostPath("C:\\bench\\bare.jpg");
  tjhandle tj = tjInitCompress();
  const int pitch = dib.BytesPerScanLine();
  std::vector<unsigned char> reused(tjBufSize(w, h, TJSAMP_444));
  unsigned long bytes = 0;

  const varnel::jpeg::StripeSettings all = varnel::jpeg::DefaultStripeSettings();
  varnel::jpeg::SetStripeSettings({1, all.minPixels});
  auto writer = [&] { varnel::mIntelJPEGLibrary::SaveDibAsJpeg(dib, name, 90); };
  auto bare = [&] {
    unsigned char* jpeg = reused.data();
    bytes = static_cast<unsigned long>(reused.size());
    tjCompress2(tj, dib.DIBSectionBitsPtr(), w, pitch, h, TJPF_BGR, &jpeg, &bytes, TJSAMP_444, 90,
                TJFLAG_ACCURATEDCT | TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
    std::ofstream out(bareHost, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(bytes));
  };
  writer();  // the library's buffers grow to this picture's size before timing
  plat::Kill(name);
  double writerSeconds = 0, bareSeconds = 0;
  InTurns turns;
  for (auto _ : state) {
    const auto [writerTime, bareTime] = turns.Time(writer, bare);
    writerSeconds += writerTime;
    bareSeconds += bareTime;
    state.SetIterationTime(writerTime);

    // Both files are new at the next iteration, as captures are.
    state.PauseTiming();
    plat::Kill(name);
    std::filesystem::remove(bareHost);
    sim::ClearCalls();
    state.ResumeTiming();
  }
  tjDestroy(tj);
  varnel::jpeg::SetStripeSettings(all);
  const double n = static_cast<double>(state.iterations());
  state.counters["writer_ms"] = 1000 * writerSeconds / n;
  state.counters["bare_ms"] = 1000 * bareSeconds / n;
  state.counters["ratio"] = writerSeconds / bareSeconds;
  state.counters["jpeg_KiB"] = static_cast<double>(bytes) / 1024;
}

// The arguments spell the benchmark's name, so they stay bare.
// NOLINTBEGIN(bugprone-macro-parentheses)
// The names are spelled as the benchmarks report them.
// clang-format off
#define VARNEL_JPEG_BENCH(content, w, h)                                                   \
  BENCHMARK_CAPTURE(BM_WriterVsBareEncoder, content/w##x##h, Content::content, w, h) \
      ->UseManualTime()                                                                \
      ->Unit(benchmark::kMillisecond)
// clang-format on
// NOLINTEND(bugprone-macro-parentheses)

VARNEL_JPEG_BENCH(Screen, 1920, 1080);
VARNEL_JPEG_BENCH(Screen, 3840, 2160);
VARNEL_JPEG_BENCH(Photo, 1920, 1080);
VARNEL_JPEG_BENCH(Photo, 3840, 2160);

}  // namespace
