// The PNG encoder against libpng's default (what png_write_row does when
// no setting is changed: zlib level 6, adaptive filters), on realistic
// screenshots that scripts/bench.sh makes with headless Chromium
// (scripts/bench_screenshots.py) into the folder VARNEL_BENCH_SCREENSHOTS
// names; without it nothing is registered. Two benchmarks a screenshot:
// the encoder on one thread, and in pieces on every core of the machine.
// Each iteration runs both sides, taking turns at going first; the Time
// column is the encoder's, and the counters give the medians of both in
// milliseconds, the speed-up (libpng / encoder), the size of the encoder's
// file against libpng's, and whether the encoder's file decodes (with
// libpng) to exactly the screenshot's pixels. Targets: size at most 0.99
// on every screenshot; speed-up at least 2.5 on one thread and 4 on two
// cores, as medians over the screenshots.
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/in_turns.h"
#include "imaging/png_encoder.h"
#include "imaging/work_pool.h"

namespace {

using varnel::bench::InTurns;

// A screenshot in the program's DIB layout.
struct Dib {
  std::vector<std::uint8_t> bits;
  std::int32_t width = 0, height = 0, stride = 0;
  varnel::ImageView View() const { return {bits.data(), width, height, stride}; }
};

// Reads a PNG file, or decodes one in memory, into a bottom-up DIB; false
// when libpng cannot.
bool Decode(png_image& image, Dib& dib) {
  image.format = PNG_FORMAT_BGR;
  dib.width = static_cast<std::int32_t>(image.width);
  dib.height = static_cast<std::int32_t>(image.height);
  dib.stride = (3 * dib.width + 3) & ~3;
  dib.bits.assign(static_cast<std::size_t>(dib.stride) * static_cast<std::size_t>(dib.height), 0);
  // A negative row stride: the last row of the picture first in memory.
  const bool ok = png_image_finish_read(&image, nullptr, dib.bits.data(), -dib.stride, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

const Dib& Screenshot(const std::string& path) {
  static std::map<std::string, Dib> loaded;
  auto [it, added] = loaded.try_emplace(path);
  if (added) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()) || !Decode(image, it->second)) it->second = Dib{};
  }
  return it->second;
}

bool DecodesTo(const std::vector<std::uint8_t>& file, const Dib& expected) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Dib got;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size()) || !Decode(image, got)) return false;
  return got.width == expected.width && got.height == expected.height && got.bits == expected.bits;
}

// libpng with its defaults, rows given top-down in blue, green, red order.
void Libpng(const Dib& dib, std::vector<std::uint8_t>& out) {
  out.clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* file = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        file->insert(file->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(dib.width), static_cast<png_uint_32>(dib.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (std::int32_t y = dib.height - 1; y >= 0; --y)
    png_write_row(png, dib.bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.stride));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void BM_PngVsLibpng(benchmark::State& state, const std::string& path, bool allCores) {
  const Dib& dib = Screenshot(path);
  if (dib.bits.empty()) {
    state.SkipWithError("libpng cannot read the screenshot");
    return;
  }
  varnel::PngSettings settings = varnel::DefaultPngSettings();
  if (!allCores) settings.pieces = 1;
  std::vector<std::uint8_t> ours, theirs;
  theirs.reserve(dib.bits.size());
  auto encoder = [&] { ours = varnel::EncodePng(dib.View(), settings); };
  auto libpng = [&] { Libpng(dib, theirs); };
  encoder();
  libpng();
  const bool exact = DecodesTo(ours, dib);

  std::vector<double> oursTimes, theirTimes;
  InTurns turns;
  for (auto _ : state) {
    const auto [a, b] = turns.Time(encoder, libpng);
    oursTimes.push_back(a);
    theirTimes.push_back(b);
    state.SetIterationTime(a);
  }
  const double oursMedian = Median(oursTimes), theirMedian = Median(theirTimes);
  state.counters["encoder_ms"] = 1000 * oursMedian;
  state.counters["libpng_ms"] = 1000 * theirMedian;
  state.counters["speedup"] = theirMedian / oursMedian;
  state.counters["size"] = static_cast<double>(ours.size()) / static_cast<double>(theirs.size());
  state.counters["encoder_KiB"] = static_cast<double>(ours.size()) / 1024;
  state.counters["libpng_KiB"] = static_cast<double>(theirs.size()) / 1024;
  state.counters["threads"] = allCores ? varnel::WorkPool::Shared().Threads() : 1;
  state.counters["exact"] = exact ? 1 : 0;
  state.SetLabel(std::to_string(dib.width) + "x" + std::to_string(dib.height));
}

const bool registered = [] {
  const char* folder = std::getenv("VARNEL_BENCH_SCREENSHOTS");
  if (folder == nullptr) return false;
  std::vector<std::filesystem::path> shots;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.path().extension() == ".png") shots.push_back(entry.path());
  std::sort(shots.begin(), shots.end());
  for (const auto& shot : shots)
    for (const bool allCores : {false, true})
      benchmark::RegisterBenchmark(
          ("BM_PngVsLibpng/" + shot.stem().string() + (allCores ? "/all_cores" : "/one_thread")).c_str(),
          BM_PngVsLibpng, shot.string(), allCores)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
