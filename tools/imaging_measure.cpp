// Times the imaging code of the Windows build under Wine, for
// scripts/bench-wine.sh, which sets the figures beside native ones.
//
//   imaging_measure --resample [--reps N]
//     Resample, 3840 x 2160 to 1920 x 1080 and back up, on both contents of
//     bench/contents.h, with each kernel this build runs here: N runs each
//     (default 5) after one not counted. Prints the kernel the program
//     takes here ("best <kernel>"), then one line a case:
//       resample <kernel> <content>/<from>-><to> <median ms> <min ms>
//     and, first for each case, what a new buffer of the destination's
//     size costs when it is created and its pages are written once (part
//     of every Resample, which returns a new buffer):
//       fresh - <content>/<from>-><to> <median ms> <min ms>
//   imaging_measure --jpeg [--reps N]
//     SaveDibAsJpeg against a bare tjCompress2 into an output buffer sized
//     once and reused (TJFLAG_NOREALLOC) followed by one WriteFile of the
//     same bytes, at quality 90, 1920 x 1080 and 3840 x 2160, both
//     contents: the writer on every core (its stripes) and on one thread,
//     N rounds (default 9) in which the three take turns at going first.
//     Prints a table with the medians and the ratios to the bare encoder,
//     each ratio as its median and min-max over the rounds.
#include <windows.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/contents.h"
#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "imaging/resample_kernels.h"
#include "imaging/jpeg_encoder.h"

namespace {

using varnel::cDIBSection;
using varnel::bench::Content;

struct Size {
  int w, h;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Ms(const std::function<void()>& run) {
  const auto t0 = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

std::string Text(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

int MeasureResample(int reps) {
  const Size uhd{3840, 2160}, hd{1920, 1080};
  // The kernel the program itself takes on this processor.
  std::printf("best %s\n", varnel::resample::Name(varnel::resample::Best()));
  for (Content content : {Content::Screen, Content::Photo}) {
    for (auto [from, to] : {std::pair{uhd, hd}, std::pair{hd, uhd}}) {
      cDIBSection src;
      if (!src.Create(from.w, from.h)) return 1;
      varnel::bench::Paint(src, content);
      // What every new buffer of the destination's size costs before any
      // pixel is computed: its creation and the first write of its pages.
      std::vector<double> fresh;
      for (int i = -1; i < reps; ++i) {
        const double ms = Ms([&] {
          cDIBSection dst;
          if (!dst.Create(to.w, to.h)) std::exit(1);
          std::memset(dst.DIBSectionBitsPtr(), 0x55,
                      static_cast<std::size_t>(dst.BytesPerScanLine()) * static_cast<std::size_t>(to.h));
        });
        if (i >= 0) fresh.push_back(ms);
      }
      std::printf("fresh - %s/%s->%s %.3f %.3f\n", varnel::bench::Name(content), Text(from).c_str(), Text(to).c_str(),
                  Median(fresh), *std::min_element(fresh.begin(), fresh.end()));
      for (auto kernel : varnel::resample::kKernels) {
        if (!varnel::resample::Use(kernel)) continue;
        std::vector<double> times;
        for (int i = -1; i < reps; ++i) {
          const double ms = Ms([&] {
            auto dst = src.Resample(to.h, to.w);
            if (!dst) std::exit(1);
          });
          if (i >= 0) times.push_back(ms);
        }
        std::printf("resample %s %s/%s->%s %.3f %.3f\n", varnel::resample::Name(kernel), varnel::bench::Name(content),
                    Text(from).c_str(), Text(to).c_str(), Median(times), *std::min_element(times.begin(), times.end()));
      }
    }
  }
  varnel::resample::Use(varnel::resample::Best());
  return 0;
}

// One WriteFile of the bytes as a new file, as the JPEG library writes.
void WritePlain(const std::wstring& path, const void* bytes, std::size_t size) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) std::exit(1);
  DWORD n = 0;
  WriteFile(h, bytes, static_cast<DWORD>(size), &n, nullptr);
  CloseHandle(h);
}

int MeasureJpeg(int reps) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring folder = std::wstring(tmp) + L"varnel-imaging-measure";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring writerFile = folder + L"\\writer.jpg", bareFile = folder + L"\\bare.jpg";
  const std::u16string writerName(writerFile.begin(), writerFile.end());

  const varnel::jpeg::StripeSettings all = varnel::jpeg::DefaultStripeSettings();
  const varnel::jpeg::StripeSettings one{1, all.minPixels};
  std::printf(
      "JPEG writer under Wine, quality 90, %d rounds; the writer on every core (%d stripes) and on one\n"
      "thread against a bare tjCompress2 into a reused buffer plus one WriteFile (ms; ratio median, min-max)\n",
      reps, all.stripes);
  std::printf("%-22s %9s %9s %9s   %-22s %-22s\n", "picture", "all cores", "1 thread", "bare", "1 thread / bare",
              "all cores / bare");
  tjhandle tj = tjInitCompress();
  for (Content content : {Content::Screen, Content::Photo})
    for (Size s : {Size{1920, 1080}, Size{3840, 2160}}) {
      cDIBSection dib;
      if (!dib.Create(s.w, s.h)) return 1;
      varnel::bench::Paint(dib, content);
      std::vector<unsigned char> reused(tjBufSize(s.w, s.h, TJSAMP_444));
      auto writer = [&](varnel::jpeg::StripeSettings settings) {
        varnel::jpeg::SetStripeSettings(settings);
        DeleteFileW(writerFile.c_str());  // a new file, as every capture makes
        return Ms([&] { varnel::mIntelJPEGLibrary::SaveDibAsJpeg(dib, writerName, 90); });
      };
      auto bare = [&] {
        DeleteFileW(bareFile.c_str());
        return Ms([&] {
          unsigned char* jpeg = reused.data();
          unsigned long size = static_cast<unsigned long>(reused.size());
          if (tjCompress2(tj, dib.DIBSectionBitsPtr(), s.w, dib.BytesPerScanLine(), s.h, TJPF_BGR, &jpeg, &size,
                          TJSAMP_444, 90, TJFLAG_ACCURATEDCT | TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0)
            std::exit(1);
          WritePlain(bareFile, jpeg, size);
        });
      };
      writer(all);  // the library's buffers grow to this picture's size first
      writer(one);
      std::vector<double> tAll, tOne, tBare, rOne, rAll;
      for (int i = 0; i < reps; ++i) {
        double a = 0, o = 0, b = 0;
        // Each side goes first, second and third in turn.
        for (int k = 0; k < 3; ++k) switch ((i + k) % 3) {
            case 0: a = writer(all); break;
            case 1: o = writer(one); break;
            case 2: b = bare(); break;
          }
        tAll.push_back(a);
        tOne.push_back(o);
        tBare.push_back(b);
        rOne.push_back(o / b);
        rAll.push_back(a / b);
      }
      auto ratio = [](const std::vector<double>& r) {
        char text[64];
        std::snprintf(text, sizeof text, "%.3f (%.3f-%.3f)", Median(r), *std::min_element(r.begin(), r.end()),
                      *std::max_element(r.begin(), r.end()));
        return std::string(text);
      };
      const std::string picture = std::string(varnel::bench::Name(content)) + "/" + Text(s);
      std::printf("%-22s %9.2f %9.2f %9.2f   %-22s %-22s\n", picture.c_str(), Median(tAll), Median(tOne), Median(tBare),
                  ratio(rOne).c_str(), ratio(rAll).c_str());
    }
  tjDestroy(tj);
  varnel::jpeg::SetStripeSettings(all);
  DeleteFileW(writerFile.c_str());
  DeleteFileW(bareFile.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 0;
  bool resample = false, jpeg = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--resample") == 0) resample = true;
    if (std::strcmp(argv[i], "--jpeg") == 0) jpeg = true;
    if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) reps = std::max(1, std::atoi(argv[++i]));
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (resample) return MeasureResample(reps ? reps : 5);
  if (jpeg) return MeasureJpeg(reps ? reps : 9);
  std::fprintf(stderr, "usage: imaging_measure --resample|--jpeg [--reps N]\n");
  return 2;
}
