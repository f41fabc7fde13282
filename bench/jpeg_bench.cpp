// SaveDibAsJpeg against a bare tjCompress2 call with the same settings on
// the same buffer, followed by the same file write: the writer's cost over
// the encoder it wraps. Each iteration runs both, one after the other, so
// that a busy machine slows both alike; the Time column is the writer's,
// and the counters give both in milliseconds and their ratio (target: at
// most 1.05).
//
// Two pictures, generated here: a screen of flat colours and text, and a
// photo-like picture of gradients and grain; each at 1920 x 1080 and
// 3840 x 2160. Runs on the simulated platform: files go to a sandbox folder,
// each written as a new file, as the capture service does.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/sim/sim.h"
#include "platform/toolkit.h"

namespace {

using Clock = std::chrono::steady_clock;
using varnel::cDIBSection;

class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : s_(seed) {}
  std::uint32_t Next() {
    s_ = s_ * 1664525u + 1013904223u;
    return s_ >> 8;
  }

 private:
  std::uint32_t s_;
};

std::uint8_t* Pixel(cDIBSection& dib, int x, int y) {  // y counted from the top
  return dib.DIBSectionBitsPtr() + static_cast<std::ptrdiff_t>(dib.Height() - 1 - y) * dib.BytesPerScanLine() + x * 3;
}

void Fill(cDIBSection& dib, int x0, int y0, int x1, int y1, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  for (int y = std::max(0, y0); y < std::min(dib.Height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(dib.Width(), x1); ++x) {
      std::uint8_t* p = Pixel(dib, x, y);
      p[0] = b, p[1] = g, p[2] = r;
    }
}

// A desktop with windows: flat backgrounds, title bars, and lines of
// glyph-like strokes in dark and link-blue text.
void PaintScreen(cDIBSection& dib) {
  const int w = dib.Width(), h = dib.Height();
  Lcg rnd(7);
  Fill(dib, 0, 0, w, h, 0x80, 0x60, 0x20);              // desktop
  Fill(dib, 0, h - h / 27, w, h, 0x30, 0x30, 0x30);     // task bar
  const int windows[][4] = {{w / 20, h / 15, w / 2, h * 4 / 5}, {w * 9 / 20, h / 8, w * 19 / 20, h * 3 / 4}};
  for (const auto& win : windows) {
    const int x0 = win[0], y0 = win[1], x1 = win[2], y1 = win[3];
    Fill(dib, x0, y0, x1, y1, 0xF0, 0xF0, 0xF0);               // frame
    Fill(dib, x0, y0, x1, y0 + h / 36, 0xC0, 0x70, 0x20);      // title bar
    Fill(dib, x0 + 4, y0 + h / 36 + 4, x1 - 4, y1 - 4, 0xFF, 0xFF, 0xFF);
    const int lineHeight = std::max(12, h / 60), cell = std::max(7, w / 240);
    for (int y = y0 + h / 36 + 12; y + lineHeight < y1 - 8; y += lineHeight) {
      const bool link = rnd.Next() % 5 == 0;
      const int end = x1 - 10 - static_cast<int>(rnd.Next() % static_cast<unsigned>((x1 - x0) / 3));
      for (int x = x0 + 12; x + cell < end; x += cell) {
        if (rnd.Next() % 6 == 0) continue;  // a space
        const std::uint32_t glyph = rnd.Next();
        for (int gy = 0; gy < lineHeight * 3 / 4; ++gy)
          for (int gx = 0; gx < cell - 2; ++gx)
            if ((glyph >> ((gx * 5 + gy * 3) % 24)) & 1 && (gx == 0 || gy % 4 == 0 || gx == cell - 3)) {
              std::uint8_t* p = Pixel(dib, x + gx, y + gy);
              p[0] = link ? 0xC0 : 0x20, p[1] = link ? 0x40 : 0x20, p[2] = link ? 0x10 : 0x20;
            }
      }
    }
  }
}

// Soft gradients, a few round shapes and sensor-like grain.
void PaintPhoto(cDIBSection& dib) {
  const int w = dib.Width(), h = dib.Height();
  Lcg rnd(11);
  auto clamp = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
      const double sky = v < 0.45 ? 1.0 : 0.0;
      const double hill = 0.5 + 0.5 * std::sin(9 * u + 4 * v) * std::cos(5 * v - 3 * u);
      const int grain = static_cast<int>(rnd.Next() % 17) - 8;
      std::uint8_t* p = Pixel(dib, x, y);
      p[0] = clamp(sky * (200 + 40 * v) + (1 - sky) * (40 + 60 * hill) + grain);
      p[1] = clamp(sky * (150 + 60 * v) + (1 - sky) * (90 + 100 * hill) + grain);
      p[2] = clamp(sky * (90 + 80 * v) + (1 - sky) * (50 + 120 * hill * u) + grain);
    }
}

// The sandbox of the simulated platform, made once for the process.
void SimulatedMachine() {
  static const bool ready = [] {
    const auto sandbox = std::filesystem::temp_directory_path() / ("varnel-bench-" + std::to_string(::getpid()));
    sim::Reset(sandbox);
    std::filesystem::create_directories(sim::HostPath("C:\\bench"));
    std::atexit([] { std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                                 ("varnel-bench-" + std::to_string(::getpid()))); });
    return true;
  }();
  (void)ready;
}

void WriterVsBareEncoder(benchmark::State& state, bool screen) {
  SimulatedMachine();
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  cDIBSection dib;
  if (!dib.Create(w, h)) {
    state.SkipWithError("no buffer");
    return;
  }
  screen ? PaintScreen(dib) : PaintPhoto(dib);

  const std::u16string name = u"C:\\bench\\capture.jpg";
  const std::filesystem::path bareHost = sim::HostPath("C:\\bench\\bare.jpg");
  tjhandle tj = tjInitCompress();
  const int pitch = dib.BytesPerScanLine();
  unsigned long bytes = 0;

  auto writer = [&] { varnel::mIntelJPEGLibrary::SaveDibAsJpeg(dib, name, 90); };
  auto bare = [&] {
    unsigned char* jpeg = nullptr;
    tjCompress2(tj, dib.DIBSectionBitsPtr(), w, pitch, h, TJPF_BGR, &jpeg, &bytes, TJSAMP_444, 90,
                TJFLAG_ACCURATEDCT | TJFLAG_BOTTOMUP);
    {
      std::ofstream out(bareHost, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(bytes));
    }
    tjFree(jpeg);
  };
  auto seconds = [](auto&& run) {
    const auto t0 = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - t0).count();
  };

  double writerSeconds = 0, bareSeconds = 0;
  bool writerFirst = true;
  for (auto _ : state) {
    // Taking turns at going first, so neither profits from the other's
    // warm caches.
    double writerTime, bareTime;
    if (writerFirst) {
      writerTime = seconds(writer);
      bareTime = seconds(bare);
    } else {
      bareTime = seconds(bare);
      writerTime = seconds(writer);
    }
    writerFirst = !writerFirst;
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
  const double n = static_cast<double>(state.iterations());
  state.counters["writer_ms"] = 1000 * writerSeconds / n;
  state.counters["bare_ms"] = 1000 * bareSeconds / n;
  state.counters["ratio"] = writerSeconds / bareSeconds;
  state.counters["jpeg_KiB"] = static_cast<double>(bytes) / 1024;
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Args({3840, 2160})->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

BENCHMARK_CAPTURE(WriterVsBareEncoder, screen, true)->Apply(Sizes);
BENCHMARK_CAPTURE(WriterVsBareEncoder, photo, false)->Apply(Sizes);

}  // namespace
