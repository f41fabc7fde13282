// Resample, 3840 x 2160 to 1920 x 1080 and back up, on both contents,
// with the best kernel (Resample/) and every other one this processor runs
// (Resample-<kernel>/), against OpenCV's cv::resize (INTER_LINEAR, one
// thread) on the same pixels. Before timing, each result is checked byte for byte against the
// resampling steps computed directly in double precision.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/contents.h"
#include "imaging/dib_section.h"
#include "imaging/resample_kernels.h"

#ifdef VARNEL_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using varnel::cDIBSection;
using varnel::bench::Content;

struct Size {
  int w, h;
};

std::string Text(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

// One source picture per content and size, made once.
const cDIBSection& Source(Content content, Size size) {
  static std::map<std::pair<int, int>, std::unique_ptr<cDIBSection>> made;
  auto& slot = made[{static_cast<int>(content), size.w}];
  if (!slot) {
    slot = std::make_unique<cDIBSection>();
    slot->Create(size.w, size.h);
    varnel::bench::Paint(*slot, content);
  }
  return *slot;
}

// The resampling steps as they read, in double precision; the number of
// bytes of `dst` that differ.
long Differences(const cDIBSection& src, const cDIBSection& dst) {
  const int dstW = dst.Width(), dstH = dst.Height();
  const float xScale = static_cast<float>(static_cast<double>(src.Width() - 1) / dstW);
  const float yScale = static_cast<float>(static_cast<double>(src.Height() - 1) / dstH);
  const std::uint8_t* s = src.DIBSectionBitsPtr();
  const int stride = src.BytesPerScanLine();
  auto lerp = [](double a, double b, float d) {
    return static_cast<int>(std::nearbyint((1.0 - static_cast<double>(d)) * a + static_cast<double>(d) * b));
  };
  long differences = 0;
  for (int y = 0; y < dstH; ++y) {
    const float fy = static_cast<float>(static_cast<double>(y) * yScale);
    const int iy = static_cast<int>(std::floor(fy));
    const float dy = fy - static_cast<float>(iy);
    const std::uint8_t* out = dst.DIBSectionBitsPtr() + static_cast<std::ptrdiff_t>(y) * dst.BytesPerScanLine();
    for (int x = 0; x < dstW; ++x) {
      const float fx = static_cast<float>(static_cast<double>(x) * xScale);
      const int ix = static_cast<int>(std::floor(fx));
      const float dx = fx - static_cast<float>(ix);
      for (int k = 0; k < 3; ++k) {
        const std::uint8_t* a = s + static_cast<std::ptrdiff_t>(iy) * stride + 3 * ix + k;
        const int left = lerp(a[0], a[stride], dy);
        const int right = lerp(a[3], a[stride + 3], dy);
        const int c = std::min(255, std::max(0, lerp(left, right, dx)));
        differences += out[3 * x + k] != c;
      }
    }
  }
  return differences;
}

void BM_Resample(benchmark::State& state, Content content, Size from, Size to, varnel::resample::Kernel kernel) {
  if (!varnel::resample::Use(kernel)) {
    state.SkipWithError("this processor cannot run the kernel");
    return;
  }
  const cDIBSection& src = Source(content, from);
  {
    auto check = src.Resample(to.h, to.w);
    const long differences = Differences(src, *check);
    if (differences != 0) {
      state.SkipWithError(("results differ from the direct form in " + std::to_string(differences) + " bytes").c_str());
      return;
    }
  }
  for (auto _ : state) {
    auto dst = src.Resample(to.h, to.w);
    benchmark::DoNotOptimize(dst->DIBSectionBitsPtr());
  }
  varnel::resample::Use(varnel::resample::Best());
  state.SetLabel(varnel::resample::Name(kernel));
  state.counters["exact"] = 1;
  state.counters["Mpx/s"] =
      benchmark::Counter(static_cast<double>(to.w) * to.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef VARNEL_BENCH_OPENCV
void BM_OpenCV(benchmark::State& state, Content content, Size from, Size to) {
  cv::setNumThreads(1);
  const cDIBSection& src = Source(content, from);
  const cv::Mat in(from.h, from.w, CV_8UC3, src.DIBSectionBitsPtr(), static_cast<std::size_t>(src.BytesPerScanLine()));
  cv::Mat out;
  for (auto _ : state) {
    cv::resize(in, out, cv::Size(to.w, to.h), 0, 0, cv::INTER_LINEAR);
    benchmark::DoNotOptimize(out.data);
  }
  state.counters["Mpx/s"] =
      benchmark::Counter(static_cast<double>(to.w) * to.h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
#endif

const bool registered = [] {
  const Size uhd{3840, 2160}, hd{1920, 1080};
  for (Content content : {Content::Screen, Content::Photo})
    for (auto [from, to] : {std::pair{uhd, hd}, std::pair{hd, uhd}}) {
      const std::string name = std::string(varnel::bench::Name(content)) + "/" + Text(from) + "->" + Text(to);
      benchmark::RegisterBenchmark(("Resample/" + name).c_str(), BM_Resample, content, from, to,
                                   varnel::resample::Best())
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      // The other kernels: the narrower vector ones, which processors
      // without AVX-512 run, and the portable one.
      for (auto kernel : varnel::resample::kKernels)
        if (kernel != varnel::resample::Best() && varnel::resample::Supported(kernel))
          benchmark::RegisterBenchmark(("Resample-" + std::string(varnel::resample::Name(kernel)) + "/" + name).c_str(),
                                       BM_Resample, content, from, to, kernel)
              ->Unit(benchmark::kMillisecond)
              ->UseRealTime();
#ifdef VARNEL_BENCH_OPENCV
      benchmark::RegisterBenchmark(("OpenCV/" + name).c_str(), BM_OpenCV, content, from, to)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
#endif
    }
  return true;
}();

}  // namespace
