// The picture writer (plat::SavePicture) against one plain write of the
// same bytes: the bitmap file capture saves, written from the picture the
// clipboard hands out, against its 54-byte header and pixel rows held as
// one contiguous buffer and written to a file in the same folder with one
// ofstream::write. The writer's cost over the bytes it has to move
// (target: at most 1.1 times the plain write).
//
// The picture is what plat::ClipboardPicture returns for a screen picture
// on the clipboard: a 24-bit bottom-up DIB section. It is taken once per
// size, outside the timing, and the writer's file is checked against the
// plain buffer before any timing. Each iteration runs both sides, taking
// turns at going first, each to a file name not used before; the Time
// column is the writer's, and the counters give the medians of both in
// milliseconds and their ratio. 1920 x 1080 and 3840 x 2160, on the
// simulated platform (files in a sandbox folder under the host's temp).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/contents.h"
#include "bench/in_turns.h"
#include "bench/sandbox.h"
#include "imaging/dib_section.h"
#include "platform/api.h"
#include "platform/gdi_handles.h"
#include "platform/sim/sim.h"
#include "platform/text.h"
#include "platform/picture.h"

namespace {

using varnel::cDIBSection;
using varnel::bench::InTurns;

// Windows' part of Print Screen: a screen-compatible bitmap of the desktop
// content on the clipboard. Then the toolkit's copy of it, as capture
// takes it. One per size, made on first use.
const plat::Picture& ClipboardCopy(int w, int h) {
  static std::map<int, std::shared_ptr<plat::Picture>> made;
  auto& slot = made[w];
  if (slot) return *slot;
  cDIBSection source;
  if (!source.Create(w, h)) return *slot;
  varnel::bench::Paint(source, varnel::bench::Content::Screen);
  plat::Hbitmap bitmap{};
  {
    plat::WindowDC screen = plat::TakeWindowDC(plat::GetDesktopWindow());
    bitmap = plat::CreateCompatibleBitmap(screen.get(), w, h);
  }
  if (bitmap == plat::Hbitmap{}) return *slot;
  {
    plat::MemoryDC dc(plat::CreateCompatibleDC({}));
    const plat::Selection selected = plat::SelectInto(dc.get(), bitmap);
    source.PaintPicture(dc.get());
  }
  if (!plat::OpenClipboard({})) return *slot;
  plat::EmptyClipboard();
  plat::SetClipboardData(plat::kCfBitmap, plat::RawHandle(bitmap));
  plat::CloseClipboard();
  slot = plat::ClipboardPicture();
  // The clipboard's own bitmap is not needed any more.
  if (plat::OpenClipboard({})) {
    plat::EmptyClipboard();
    plat::CloseClipboard();
  }
  return *slot;
}

std::vector<char> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void BM_PictureWriterVsPlainWrite(benchmark::State& state, int w, int h) {
  varnel::bench::UseSandbox();
  const plat::Picture& picture = ClipboardCopy(w, h);
  if (!picture.handle() || !picture.dibBits()) {
    state.SkipWithError("no clipboard picture");
    return;
  }
  const std::int32_t stride = (w * 3 + 3) & ~3;
  const std::size_t imageSize = static_cast<std::size_t>(stride) * static_cast<std::size_t>(h);

  // The writer's file, once: it must be the header followed by the DIB
  // section's rows as they are. Its bytes are the plain side's buffer.
  plat::SavePicture(picture, u"C:\\bench\\check.bmp");
  const std::filesystem::path checkHost = sim::HostPath("C:\\bench\\check.bmp");
  const std::vector<char> contiguous = ReadAll(checkHost);
  std::filesystem::remove(checkHost);
  if (contiguous.size() != 54 + imageSize || contiguous[0] != 'B' || contiguous[1] != 'M' ||
      std::memcmp(contiguous.data() + 54, picture.dibBits(), imageSize) != 0) {
    state.SkipWithError("the writer's file is not header plus rows");
    return;
  }

  std::vector<double> writerTimes, plainTimes;
  InTurns turns;
  int serial = 0;
  for (auto _ : state) {
    // Fresh names each time, as every capture makes a new file.
    const std::string stem = "C:\\bench\\" + std::to_string(w) + "-" + std::to_string(serial++);
    const std::u16string writerName = plat::FromUtf8(stem + "-writer.bmp");
    const std::filesystem::path plainHost = sim::HostPath(stem + "-plain.bmp");
    auto writer = [&] { plat::SavePicture(picture, writerName); };
    auto plain = [&] {
      std::ofstream out(plainHost, std::ios::binary | std::ios::trunc);
      out.write(contiguous.data(), static_cast<std::streamsize>(contiguous.size()));
    };
    const auto [writerTime, plainTime] = turns.Time(writer, plain);
    writerTimes.push_back(writerTime);
    plainTimes.push_back(plainTime);
    state.SetIterationTime(writerTime);

    state.PauseTiming();
    std::filesystem::remove(sim::HostPath(stem + "-writer.bmp"));
    std::filesystem::remove(plainHost);
    sim::ClearCalls();
    state.ResumeTiming();
  }
  const double writerMedian = Median(writerTimes), plainMedian = Median(plainTimes);
  state.counters["writer_ms"] = 1000 * writerMedian;
  state.counters["plain_ms"] = 1000 * plainMedian;
  state.counters["ratio"] = writerMedian / plainMedian;
  state.counters["file_MiB"] = static_cast<double>(contiguous.size()) / (1024 * 1024);
}

#define VARNEL_PICTURE_WRITER_BENCH(w, h) \
  BENCHMARK_CAPTURE(BM_PictureWriterVsPlainWrite, w##x##h, w, h)->UseManualTime()->Unit(benchmark::kMillisecond)

VARNEL_PICTURE_WRITER_BENCH(1920, 1080);
VARNEL_PICTURE_WRITER_BENCH(3840, 2160);

}  // namespace
