// How long Print Screen takes to become a file, and how much memory a
// large capture costs, measured on Varnel.exe under Wine from outside, side
// by side with a yardstick.
//
//   capture_measure [--reps N] [--details]
//   capture_measure --before EXE [--reps N]
//   capture_measure --idle-memory N [--reps ROUNDS] [--exe EXE]
//
// The comparison (always): for 1920 x 1080 and 3840 x 2160 pictures, JPEG
// and BMP, N rounds (default 7); then a 3840 x 2160 PNG capture against a
// JPEG one, both Varnel's, in turns, N rounds. In each round Varnel.exe captures once and
// the yardstick once, taking turns at going first; each gets a new picture
// on the clipboard. The yardstick is a fresh process that does only what
// any program must do with the clipboard's picture: the first
// GetClipboardData, one GetDIBits into a 24-bit buffer, then for JPEG one
// single-thread tjCompress2 into an output buffer made before the start, and
// one write of the file. Both are timed the same way, from Varnel's key
// release (the yardstick's start signal) to the complete file, by polling
// the folder about every millisecond; both have their working set sampled
// at every poll. Prints one line a measurement:
//   figure <what> <side> <value>
// for scripts/measure-capture.sh, which sums them up in one table.
//
// With --details, then also:
// 1. The clocks this depends on: the period of a 1 ms timer (Varnel polls
//    the key on one) and of this program's polling (Sleep(1)).
// 2. Time from the release of Print Screen to the complete file, for
//    1920 x 1080 and 3840 x 2160 pictures, JPEG and BMP, N times each:
//    Complete means: a JPEG that ends in FF D9 (and, checked afterwards,
//    decodes at the full size), a BMP of the full size (and, checked
//    afterwards, holding the picture exactly). Also the time at which the
//    file's name first appears.
// 3. Varnel.exe's memory around 3 3840 x 2160 JPEG captures in a fresh
//    process: its counters (GetProcessMemoryInfo on its handle) idle after
//    start-up, just before the key, sampled at every poll during the
//    capture, and after it.
// 4. Where the time goes: the capture's steps, run by the same toolkit
//    code in a child process of this program (which, like Varnel.exe, does
//    not own the clipboard), and that process's memory after each round.
//
//   capture_measure --steps PARENTID WORKFOLDER
// is that child, and
//   capture_measure --yardstick jpg|bmp FILE EVENTPREFIX
// the yardstick.
#include <windows.h>
#include <psapi.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "platform/picture.h"
#include "platform/text.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/support/win32/driver.h"

namespace {

// Runs the two sides of a comparison, the given one first.
template <class A, class B>
void InTurn(bool aFirst, A& a, B& b) {
  if (aFirst) {
    a();
    b();
  } else {
    b();
    a();
  }
}

constexpr int kQuality = 90;  // as Varnel saves JPEG files

struct Size {
  int w, h;
};
constexpr Size kSizes[] = {{1920, 1080}, {3840, 2160}};

double Frequency() {
  static const double f = [] {
    LARGE_INTEGER q;
    QueryPerformanceFrequency(&q);
    return static_cast<double>(q.QuadPart);
  }();
  return f;
}

std::int64_t Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Ms(std::int64_t from, std::int64_t to) { return 1000.0 * static_cast<double>(to - from) / Frequency(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::size_t BmpSize(Size s) {
  return 54 + static_cast<std::size_t>((s.w * 3 + 3) & ~3) * static_cast<std::size_t>(s.h);
}

// A whole file in one read, sharing it with whoever else has it open.
std::string ReadWhole(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD n = 0;
  if (!bytes.empty() &&
      (!::ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) || n != bytes.size()))
    bytes.clear();
  CloseHandle(h);
  return bytes;
}

// One plain write of `bytes` as a new file, opened as the picture writer
// and the JPEG library open theirs.
bool WritePlain(const std::wstring& path, const void* bytes, std::size_t size) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const bool ok = ::WriteFile(h, bytes, static_cast<DWORD>(size), &n, nullptr) && n == size;
  return CloseHandle(h) && ok;
}

// Whether the capture at `path` is complete. While Varnel.exe writes it,
// it holds the file without sharing, so opening it fails until then.
// The file kinds a capture writes, by the extension of their names.
enum class Kind { Jpeg, Bmp, Png };
Kind KindOf(const char* format) {
  return std::strcmp(format, "BMP") == 0 ? Kind::Bmp : std::strcmp(format, "PNG") == 0 ? Kind::Png : Kind::Jpeg;
}
const wchar_t* Pattern(Kind k) { return k == Kind::Bmp ? L"\\*.bmp" : k == Kind::Png ? L"\\*.png" : L"\\*.jpg"; }

// A PNG's last chunk, IEND, with its CRC.
constexpr unsigned char kIend[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

bool Complete(const std::wstring& path, Kind kind, Size s) {
  const bool jpeg = kind == Kind::Jpeg;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool done = GetFileSizeEx(h, &size) != 0;
  if (done && kind == Kind::Bmp) done = static_cast<std::size_t>(size.QuadPart) == BmpSize(s);
  if (done && kind == Kind::Png) {
    unsigned char tail[12] = {};
    DWORD n = 0;
    LARGE_INTEGER at;
    at.QuadPart = size.QuadPart - 12;
    done = size.QuadPart > 20 && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ::ReadFile(h, tail, 12, &n, nullptr) &&
           n == 12 && std::memcmp(tail, kIend, 12) == 0;
  }
  if (done && jpeg) {
    unsigned char tail[2] = {};
    DWORD n = 0;
    LARGE_INTEGER at;
    at.QuadPart = size.QuadPart - 2;
    done = size.QuadPart > 4 && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ::ReadFile(h, tail, 2, &n, nullptr) &&
           n == 2 && tail[0] == 0xFF && tail[1] == 0xD9;
  }
  CloseHandle(h);
  return done;
}

// Whether a complete file holds the picture: the JPEG decodes at the full
// size, the BMP holds every pixel of the pattern exactly, the PNG says it
// has the full size (its pixels are checked by the tests).
bool Verify(const std::wstring& path, Kind kind, Size s) {
  const std::string bytes = ReadWhole(path);
  if (kind == Kind::Png) {
    const auto be32 = [&](std::size_t at) {
      return static_cast<std::uint32_t>(
          static_cast<unsigned char>(bytes[at]) << 24 | static_cast<unsigned char>(bytes[at + 1]) << 16 |
          static_cast<unsigned char>(bytes[at + 2]) << 8 | static_cast<unsigned char>(bytes[at + 3]));
    };
    return bytes.size() > 33 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && bytes.compare(12, 4, "IHDR") == 0 &&
           be32(16) == static_cast<std::uint32_t>(s.w) && be32(20) == static_cast<std::uint32_t>(s.h);
  }
  if (kind == Kind::Jpeg) {
    auto decoded = varnel::testing::DecodeJpeg(bytes);
    return decoded && decoded->width == s.w && decoded->height == s.h;
  }
  if (bytes.size() != BmpSize(s)) return false;
  const std::size_t stride = static_cast<std::size_t>((s.w * 3 + 3) & ~3);
  const auto* rows = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 54;
  for (int y = 0; y < s.h; ++y) {
    const std::uint8_t* px = rows + static_cast<std::size_t>(s.h - 1 - y) * stride;
    for (int x = 0; x < s.w; ++x, px += 3)
      if (static_cast<std::uint32_t>(px[0] | px[1] << 8 | px[2] << 16) != e2e::Pattern(x, y)) return false;
  }
  return true;
}

PROCESS_MEMORY_COUNTERS_EX Memory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  return m;
}

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// ---- 1. clocks ----

void MeasureClocks() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets a queue
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, nullptr);
  int ticks = 0;
  const std::int64_t t0 = Now();
  std::int64_t last = t0;
  while (Ms(t0, Now()) < 1000) {
    if (GetMessageW(&msg, nullptr, 0, 0) && msg.message == WM_TIMER) {
      ++ticks;
      last = Now();
    }
  }
  KillTimer(nullptr, timer);
  const double tick = ticks ? Ms(t0, last) / ticks : 0;

  std::vector<double> sleeps;
  for (int i = 0; i < 200; ++i) {
    const std::int64_t s0 = Now();
    Sleep(1);
    sleeps.push_back(Ms(s0, Now()));
  }
  std::printf("A 1 ms timer (SetTimer) ticks every %.2f ms on average (%d ticks in 1 s).\n", tick, ticks);
  std::printf("Sleep(1), the folder poll's pause, takes %.2f ms (median; min %.2f, max %.2f).\n\n", Median(sleeps),
              *std::min_element(sleeps.begin(), sleeps.end()), *std::max_element(sleeps.begin(), sleeps.end()));
}

// ---- 2. release to file ----

class Capturer {
 public:
  // `exe`: another build's Varnel.exe to run instead of this build's.
  Capturer(const std::wstring& name, const char* format, const std::wstring& exe = {}) {
    dir_ = e2e::MakeInstallFolder(name);
    if (!exe.empty()) CopyFileW(exe.c_str(), (dir_ + L"\\Varnel.exe").c_str(), FALSE);
    shots_ = dir_ + L"\\shots";
    CreateDirectoryW(shots_.c_str(), nullptr);
    Clear();
    std::string folder(shots_.begin(), shots_.end());
    e2e::WriteFile(dir_ + L"\\Varnel.ini", "[main]\r\npath=" + folder + "\r\nformat=" + format + "\r\nopen=0\r\n");
    kind_ = KindOf(format);
    process_ = std::make_unique<e2e::VarnelProcess>(dir_);
  }
  ~Capturer() {
    if (process_->Window()) PostMessageW(process_->Window(), WM_CLOSE, 0, 0);
    process_->WaitForExit(15000);
    Clear();
  }
  bool Ready() { return process_->Window() != nullptr; }

  // Switches the running Varnel to another format, as a user does: the
  // format's option, then Apply.
  void UseFormat(const char* format) {
    kind_ = KindOf(format);
    HWND window = process_->Window();
    const std::pair<const wchar_t*, Kind> options[] = {
        {L"JPEG", Kind::Jpeg}, {L"Bitmap", Kind::Bmp}, {L"P&NG", Kind::Png}};
    HWND chosen = nullptr;
    for (const auto& [caption, kind] : options) {
      HWND o = process_->Control(caption);
      SendMessageW(o, BM_SETCHECK, kind == kind_ ? BST_CHECKED : BST_UNCHECKED, 0);
      if (kind == kind_) chosen = o;
    }
    for (HWND c : {chosen, process_->Control(L"&Apply")})
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), reinterpret_cast<LPARAM>(c));
  }
  HANDLE process() const { return process_->process(); }
  const std::wstring& shots() const { return shots_; }

  struct Result {
    bool ok = false;
    double appearedMs = 0, completeMs = 0;
    int polls = 0;
    std::string error;
  };

  // One capture: the picture on the clipboard, Print Screen, and the
  // file. `beforeKey` runs just before the key goes down, `during` at
  // every poll (e.g. to sample memory).
  template <typename BeforeKey, typename During>
  Result Capture(Size s, BeforeKey&& beforeKey, During&& during) {
    Result r;
    Clear();
    if (!e2e::PutPictureOnClipboard(s.w, s.h)) {
      r.error = "the clipboard refused the picture";
      return r;
    }
    Sleep(300);  // the clipboard's other users settle first
    const wchar_t* pattern = Pattern(kind_);
    beforeKey();
    const std::int64_t released = e2e::PressPrintScreen();
    std::wstring name;
    for (;;) {
      const std::int64_t probe = Now();
      if (Ms(released, probe) > 30000) {
        r.error = name.empty() ? "no file within 30 s" : "file not complete within 30 s";
        return r;
      }
      ++r.polls;
      during();
      if (name.empty()) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((shots_ + pattern).c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
          name = fd.cFileName;
          FindClose(h);
          r.appearedMs = Ms(released, probe);
        }
      }
      if (!name.empty() && Complete(shots_ + L"\\" + name, kind_, s)) {
        r.completeMs = Ms(released, probe);
        break;
      }
      Sleep(1);
    }
    Sleep(100);  // a second file would show up by now
    const auto files = e2e::FilesIn(shots_);
    if (files.size() != 1) {
      r.error = std::to_string(files.size()) + " files instead of one";
      return r;
    }
    if (!Verify(shots_ + L"\\" + name, kind_, s)) {
      r.error = "the file does not hold the picture";
      return r;
    }
    r.ok = true;
    return r;
  }
  Result Capture(Size s) {
    return Capture(
        s, [] {}, [] {});
  }

 private:
  void Clear() {
    for (const auto& f : e2e::FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + f).c_str());
  }
  std::wstring dir_, shots_;
  Kind kind_ = Kind::Jpeg;
  std::unique_ptr<e2e::VarnelProcess> process_;
};

bool MeasureTimes(int reps) {
  bool allOk = true;
  std::printf("Release of Print Screen to the complete file (%d captures each; ms):\n", reps);
  std::printf("%-6s %-11s %8s %8s %8s   %s\n", "format", "picture", "median", "min", "max",
              "name appears (median)  polls");
  for (const char* format : {"JPG", "BMP"}) {
    Capturer c(std::wstring(L"measure-") + (format[0] == 'J' ? L"jpg" : L"bmp"), format);
    if (!c.Ready()) {
      std::printf("FAILED: Varnel.exe showed no window\n");
      return false;
    }
    c.Capture({64, 64});  // a first capture, not counted: loads what capture loads
    for (Size s : kSizes) {
      std::vector<double> complete, appeared;
      int polls = 0;
      for (int i = 0; i < reps; ++i) {
        auto r = c.Capture(s);
        if (!r.ok) {
          std::printf("FAILED: %s %dx%d capture %d: %s\n", format, s.w, s.h, i + 1, r.error.c_str());
          allOk = false;
          continue;
        }
        complete.push_back(r.completeMs);
        appeared.push_back(r.appearedMs);
        polls += r.polls;
      }
      if (complete.empty()) continue;
      char picture[32];
      std::snprintf(picture, sizeof picture, "%dx%d", s.w, s.h);
      std::printf("%-6s %-11s %8.1f %8.1f %8.1f   %8.1f %16.1f a capture\n", format, picture, Median(complete),
                  *std::min_element(complete.begin(), complete.end()),
                  *std::max_element(complete.begin(), complete.end()), Median(appeared),
                  static_cast<double>(polls) / static_cast<double>(complete.size()));
    }
  }
  std::printf("\n");
  return allOk;
}

// ---- 3. memory ----

bool MeasureMemory(int captures) {
  const Size s{3840, 2160};
  Capturer c(L"measure-memory", "JPG");
  if (!c.Ready()) {
    std::printf("FAILED: Varnel.exe showed no window\n");
    return false;
  }
  Sleep(500);
  auto show = [](const char* when, const PROCESS_MEMORY_COUNTERS_EX& m) {
    std::printf("%-44s %9.1f %9.1f %9.1f %9.1f\n", when, MiB(m.WorkingSetSize), MiB(m.PeakWorkingSetSize),
                MiB(m.PagefileUsage), MiB(m.PeakPagefileUsage));
  };
  std::printf("Varnel.exe's memory, 3840x2160 JPEG captures in a fresh process (MiB):\n");
  std::printf("%-44s %9s %9s %9s %9s\n", "", "working", "peak", "pagefile", "peak");
  std::printf("%-44s %9s %9s %9s %9s\n", "", "set", "working", "usage", "pagefile");
  const auto idle = Memory(c.process());
  show("idle after start-up (the baseline)", idle);
  bool ok = true;
  bool peakIsCurrent = false;
  PROCESS_MEMORY_COUNTERS_EX last = idle;
  for (int i = 1; i <= captures; ++i) {
    // Sampled at every poll: what the counters show while the capture runs.
    SIZE_T sampledWorking = 0, sampledPagefile = 0;
    HANDLE process = c.process();
    auto sample = [&] {
      const auto m = Memory(process);
      sampledWorking = std::max(sampledWorking, m.WorkingSetSize);
      sampledPagefile = std::max(sampledPagefile, m.PagefileUsage);
    };
    // With the picture on the clipboard, just before the key goes down.
    PROCESS_MEMORY_COUNTERS_EX before{};
    auto r = c.Capture(
        s, [&] { before = Memory(process); }, sample);
    if (!r.ok) {
      std::printf("FAILED: capture %d: %s\n", i, r.error.c_str());
      ok = false;
      continue;
    }
    Sleep(300);
    const auto after = Memory(process);
    char when[64];
    std::snprintf(when, sizeof when, "capture %d: before the key", i);
    show(when, before);
    std::snprintf(when, sizeof when, "capture %d: highest sampled during it", i);
    std::printf("%-44s %9.1f %9s %9.1f %9s   (%d samples, %.0f ms)\n", when, MiB(sampledWorking), "",
                MiB(sampledPagefile), "", r.polls, r.completeMs);
    std::snprintf(when, sizeof when, "capture %d: 300 ms after the file", i);
    show(when, after);
    if (after.PeakPagefileUsage < sampledPagefile) peakIsCurrent = true;
    last = after;
  }
  const double clipboardMiB = 4.0 * s.w * s.h / (1024 * 1024), copyMiB = MiB(BmpSize(s) - 54);
  std::printf("Kept after the captures: %+.1f MiB a capture (pagefile usage). For scale: the clipboard's\n",
              (MiB(last.PagefileUsage) - MiB(idle.PagefileUsage)) / captures);
  std::printf("32-bit bitmap is %.1f MiB, a 24-bit copy %.1f MiB.\n", clipboardMiB, copyMiB);
  if (peakIsCurrent)
    std::printf(
        "PeakPagefileUsage stayed below what was sampled during the capture: here it reports the\n"
        "current usage, not a peak; the sampled figure stands for the peak.\n");
  std::printf("\n");
  return ok;
}

// ---- 4. steps, in a child process ----

// The child runs rounds on the clipboard's picture when told to, and stays
// warm between them. Each round: the job file holds "<kind> <width>
// <height> <order>" (kind: jpg, bmp, fetch or quit; order 1 puts the plain
// write before the library's), the result file gets the figures in ms in
// the order of kStepNames (-1 for steps not run), then this process's
// pagefile usage and working set in bytes once the round has released
// everything it made.
constexpr const char* kStepNames[] = {
    "GetClipboardData, first call in the process",
    "GetClipboardData, again",
    "ClipboardPicture (24-bit copy)",
    "JPEG: second buffer (CreateFromPicture)",
    "JPEG: SaveDibAsJpeg (encode + write)",
    "JPEG: encode alone (tjCompress2)",
    "JPEG: write alone (one WriteFile)",
    "BMP: SavePicture",
    "BMP: write alone (one WriteFile)",
};
constexpr std::size_t kSteps = sizeof kStepNames / sizeof kStepNames[0];

std::wstring EventName(DWORD parent, const wchar_t* what) {
  return L"VarnelCaptureMeasure-" + std::to_wstring(parent) + L"-" + what;
}

bool Fetch() {
  for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i) Sleep(5);
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  CloseClipboard();
  return bitmap != nullptr;
}

std::vector<double> Round(const std::string& kind, Size s, bool plainFirst, const std::wstring& work) {
  std::vector<double> t(kSteps, -1);
  std::int64_t t0 = Now();
  if (!Fetch()) return {};
  t[0] = Ms(t0, Now());
  t0 = Now();
  Fetch();
  t[1] = Ms(t0, Now());
  if (kind == "fetch") return t;

  t0 = Now();
  std::shared_ptr<plat::Picture> picture = plat::ClipboardPicture();
  t[2] = Ms(t0, Now());
  if (kind == "jpg") {
    t0 = Now();
    auto buffer = std::make_shared<varnel::cDIBSection>();
    buffer->CreateFromPicture(picture);
    t[3] = Ms(t0, Now());
    picture.reset();  // as in a capture, the clipboard's copy goes here
    const std::wstring name = work + L"\\steps.jpg", plain = work + L"\\plain.jpg";
    auto library = [&] {
      const std::int64_t from = Now();
      varnel::mIntelJPEGLibrary::SaveDibAsJpeg(*buffer, std::u16string(name.begin(), name.end()), kQuality);
      t[4] = Ms(from, Now());
    };
    // The same encoding as the JPEG library's, into memory, then written.
    auto alone = [&] {
      tjhandle tj = tjInitCompress();
      unsigned char* out = nullptr;
      unsigned long outSize = 0;
      std::int64_t from = Now();
      tjCompress2(tj, buffer->DIBSectionBitsPtr(), s.w, buffer->BytesPerScanLine(), s.h, TJPF_BGR, &out, &outSize,
                  TJSAMP_444, kQuality, TJFLAG_ACCURATEDCT | TJFLAG_BOTTOMUP);
      t[5] = Ms(from, Now());
      from = Now();
      WritePlain(plain, out, outSize);
      t[6] = Ms(from, Now());
      tjFree(out);
      tjDestroy(tj);
    };
    InTurn(plainFirst, alone, library);
    DeleteFileW(name.c_str());
    DeleteFileW(plain.c_str());
  } else {
    const std::wstring name = work + L"\\steps.bmp", plain = work + L"\\plain.bmp";
    // The plain side: as many bytes as the picture writer's file, the rows
    // taken from the picture.
    std::string bytes(BmpSize(s), '\0');
    std::memcpy(bytes.data(), "BM", 2);
    std::memcpy(bytes.data() + 54, picture->dibBits(), bytes.size() - 54);
    auto library = [&] {
      const std::int64_t from = Now();
      plat::SavePicture(*picture, std::u16string(name.begin(), name.end()));
      t[7] = Ms(from, Now());
    };
    auto alone = [&] {
      const std::int64_t from = Now();
      WritePlain(plain, bytes.data(), bytes.size());
      t[8] = Ms(from, Now());
    };
    InTurn(plainFirst, alone, library);
    DeleteFileW(name.c_str());
    DeleteFileW(plain.c_str());
  }
  return t;
}

int RunSteps(DWORD parent, const std::wstring& work) {
  HANDLE go = OpenEventW(EVENT_ALL_ACCESS, FALSE, EventName(parent, L"go").c_str());
  HANDLE done = OpenEventW(EVENT_ALL_ACCESS, FALSE, EventName(parent, L"done").c_str());
  if (!go || !done) return 2;
  for (;;) {
    if (WaitForSingleObject(go, 120000) != WAIT_OBJECT_0) return 3;
    char kind[16] = {};
    Size s{};
    int order = 0;
    const auto job = e2e::ReadFile(work + L"\\job.txt");
    if (!job || std::sscanf(job->c_str(), "%15s %d %d %d", kind, &s.w, &s.h, &order) != 4) return 4;
    if (std::string(kind) == "quit") return 0;
    std::vector<double> t;
    try {
      t = Round(kind, s, order != 0, work);
    } catch (...) {
      t.clear();
    }
    std::string text;
    for (double v : t) text += std::to_string(v) + "\n";
    if (!t.empty()) {
      const auto m = Memory(GetCurrentProcess());
      text += std::to_string(m.PagefileUsage) + "\n" + std::to_string(m.WorkingSetSize) + "\n";
    }
    e2e::WriteFile(work + L"\\result.txt", text);
    SetEvent(done);
  }
}

class StepsChild {
 public:
  StepsChild() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    work_ = std::wstring(tmp) + L"varnel-e2e-measure-steps";
    CreateDirectoryW(work_.c_str(), nullptr);
    const DWORD self = GetCurrentProcessId();
    go_ = CreateEventW(nullptr, FALSE, FALSE, EventName(self, L"go").c_str());
    done_ = CreateEventW(nullptr, FALSE, FALSE, EventName(self, L"done").c_str());
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --steps " + std::to_wstring(self) + L" \"" + work_ + L"\"";
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
  }
  ~StepsChild() {
    if (pi_.hProcess) {
      e2e::WriteFile(work_ + L"\\job.txt", "quit 0 0 0\n");
      SetEvent(go_);
      if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 9);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
    CloseHandle(go_);
    CloseHandle(done_);
  }
  bool Started() const { return pi_.hProcess != nullptr; }

  struct Figures {
    std::vector<double> ms;  // by kStepNames, -1 for steps not run
    double pagefileMiB = 0, workingSetMiB = 0;
  };
  // One round on whatever the clipboard holds now.
  std::optional<Figures> Round(const char* kind, Size s, bool plainFirst) {
    DeleteFileW((work_ + L"\\result.txt").c_str());
    e2e::WriteFile(work_ + L"\\job.txt", std::string(kind) + " " + std::to_string(s.w) + " " + std::to_string(s.h) +
                                             " " + (plainFirst ? "1" : "0") + "\n");
    SetEvent(go_);
    HANDLE both[2] = {done_, pi_.hProcess};
    if (WaitForMultipleObjects(2, both, FALSE, 120000) != WAIT_OBJECT_0) return std::nullopt;
    const auto text = e2e::ReadFile(work_ + L"\\result.txt");
    if (!text) return std::nullopt;
    std::vector<double> v;
    const char* p = text->c_str();
    for (char* end = nullptr;; p = end) {
      const double x = std::strtod(p, &end);
      if (end == p) break;
      v.push_back(x);
    }
    if (v.size() != kSteps + 2) return std::nullopt;
    Figures f;
    f.ms.assign(v.begin(), v.begin() + kSteps);
    f.pagefileMiB = v[kSteps] / (1024.0 * 1024.0);
    f.workingSetMiB = v[kSteps + 1] / (1024.0 * 1024.0);
    return f;
  }

 private:
  std::wstring work_;
  HANDLE go_ = nullptr, done_ = nullptr;
  PROCESS_INFORMATION pi_{};
};

bool MeasureSteps(int reps) {
  // An even number of rounds, half of them with the plain write first.
  const int rounds = reps + reps % 2;
  bool ok = true;
  // A fresh child for each kind and size, warmed up first: the clipboard
  // memory it keeps (see below) would fill a 32-bit process otherwise.
  // Returns its private memory (pagefile usage) after each round.
  auto group = [&](const char* kind, Size s, std::vector<std::vector<double>>& figures) {
    std::vector<double> memory;
    StepsChild child;
    if (!child.Started()) {
      std::printf("FAILED: the steps process did not start\n");
      ok = false;
      return memory;
    }
    for (int i = -1; i < rounds; ++i) {
      const Size size = i < 0 ? Size{64, 64} : s;
      if (!e2e::PutPictureOnClipboard(size.w, size.h)) {
        ok = false;
        continue;
      }
      Sleep(300);
      auto f = child.Round(kind, size, i % 2 != 0);
      if (!f) {
        std::printf("FAILED: a %s round at %dx%d\n", kind, size.w, size.h);
        ok = false;
        continue;
      }
      if (i < 0) continue;  // the warm-up round
      for (std::size_t k = 0; k < kSteps; ++k)
        if (f->ms[k] >= 0) figures[k].push_back(f->ms[k]);
      memory.push_back(f->pagefileMiB);
    }
    return memory;
  };

  std::printf("The capture's steps, by the same toolkit code in another process that does not own the\n");
  std::printf("clipboard either (median of %d rounds, ms):\n", rounds);
  std::printf("  %-48s %10s %10s\n", "", "1920x1080", "3840x2160");
  std::vector<std::vector<double>> medians(kSteps);
  // Private memory after each 3840 x 2160 round, by kind.
  std::vector<std::pair<const char*, std::vector<double>>> kept;
  for (Size s : kSizes) {
    std::vector<std::vector<double>> figures(kSteps);
    for (const char* kind : {"jpg", "bmp"}) {
      auto memory = group(kind, s, figures);
      if (s.w == 3840) kept.emplace_back(kind, memory);
    }
    for (std::size_t k = 0; k < kSteps; ++k) medians[k].push_back(figures[k].empty() ? -1 : Median(figures[k]));
  }
  for (std::size_t k = 0; k < kSteps; ++k) {
    std::printf("  %-48s", kStepNames[k]);
    for (double m : medians[k]) std::printf(" %10.1f", m);
    std::printf("\n");
  }

  // Only GetClipboardData, to tell what it keeps from what the toolkit keeps.
  std::vector<std::vector<double>> unused(kSteps);
  kept.emplace_back("fetch", group("fetch", {3840, 2160}, unused));
  std::printf("\nThat process's private memory (pagefile usage) after each 3840x2160 round, once the round\n");
  std::printf("has released all it made (MiB; a fresh process for each line):\n");
  for (const auto& [kind, m] : kept) {
    if (m.size() < 2) continue;
    const char* what = std::strcmp(kind, "jpg") == 0   ? "JPEG steps"
                       : std::strcmp(kind, "bmp") == 0 ? "BMP steps"
                                                       : "GetClipboardData only";
    std::printf("  %-24s %7.1f after the first, %7.1f after the last: %+6.1f a round\n", what, m.front(), m.back(),
                (m.back() - m.front()) / static_cast<double>(m.size() - 1));
  }
  std::printf("\n");
  return ok;
}

// ---- the comparison with the yardstick ----

std::wstring EventPrefix(int round) {
  return L"VarnelYardstick-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(round);
}

// The yardstick's side, in a process of its own: set up what a program sets
// up before a picture comes (the encoder and its output buffer, a device
// context), say so, wait for the start, then fetch, convert once, encode on
// one thread and write once.
int RunYardstick(const std::string& kind, const std::wstring& file, const std::wstring& prefix, Size s) {
  HANDLE ready = OpenEventW(EVENT_ALL_ACCESS, FALSE, (prefix + L"-ready").c_str());
  HANDLE go = OpenEventW(EVENT_ALL_ACCESS, FALSE, (prefix + L"-go").c_str());
  if (!ready || !go) return 2;
  const bool jpeg = kind == "jpg";
  tjhandle tj = jpeg ? tjInitCompress() : nullptr;
  unsigned long capacity = jpeg ? tjBufSize(s.w, s.h, TJSAMP_444) : 0;
  unsigned char* out = jpeg ? tjAlloc(static_cast<int>(capacity)) : nullptr;
  HDC screen = GetDC(nullptr);
  SetEvent(ready);
  if (WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) return 3;

  for (int i = 0; i < 200 && !OpenClipboard(nullptr); ++i) Sleep(5);
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth != s.w || bm.bmHeight != s.h) return 4;
  const std::size_t stride = static_cast<std::size_t>((s.w * 3 + 3) & ~3);
  const std::size_t image = stride * static_cast<std::size_t>(s.h);
  // For a bitmap file the header goes in front, so that it is one write.
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[54 + image]);
  std::uint8_t* pixels = bytes.get() + 54;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = s.w;
  info.bmiHeader.biHeight = s.h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(s.h), pixels, &info, DIB_RGB_COLORS);
  CloseClipboard();
  if (lines != s.h) return 5;
  bool written;
  if (jpeg) {
    unsigned long size = capacity;
    if (tjCompress2(tj, pixels, s.w, static_cast<int>(stride), s.h, TJPF_BGR, &out, &size, TJSAMP_444, kQuality,
                    TJFLAG_NOREALLOC | TJFLAG_ACCURATEDCT | TJFLAG_BOTTOMUP) != 0)
      return 6;
    written = WritePlain(file, out, size);
  } else {
    std::uint8_t* h = bytes.get();
    std::memset(h, 0, 54);
    h[0] = 'B';
    h[1] = 'M';
    const std::uint32_t fileSize = static_cast<std::uint32_t>(54 + image), offset = 54, infoSize = 40;
    std::memcpy(h + 2, &fileSize, 4);
    std::memcpy(h + 10, &offset, 4);
    std::memcpy(h + 14, &infoSize, 4);
    std::memcpy(h + 18, &s.w, 4);
    std::memcpy(h + 22, &s.h, 4);
    h[26] = 1;
    h[28] = 24;
    written = WritePlain(file, bytes.get(), 54 + image);
  }
  ReleaseDC(nullptr, screen);
  if (out) tjFree(out);
  if (tj) tjDestroy(tj);
  return written ? 0 : 7;
}

struct Side {
  bool ok = false;
  double ms = 0;       // start to complete file
  double peakMiB = 0;  // highest working set sampled, over the level at the start
  std::string error;
};

// One yardstick capture of the picture on the clipboard now, into `folder`.
Side YardstickCapture(const std::wstring& folder, bool jpeg, Size s, int round) {
  Side r;
  for (const auto& f : e2e::FilesIn(folder)) DeleteFileW((folder + L"\\" + f).c_str());
  const std::wstring prefix = EventPrefix(round), file = folder + (jpeg ? L"\\yardstick.jpg" : L"\\yardstick.bmp");
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-ready").c_str());
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-go").c_str());
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --yardstick " + (jpeg ? L"jpg" : L"bmp") + L" \"" + file +
                     L"\" " + prefix + L" " + std::to_wstring(s.w) + L" " + std::to_wstring(s.h);
  std::vector<wchar_t> line(cmd.begin(), cmd.end());
  line.push_back(0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    r.error = "the yardstick did not start";
  } else if (HANDLE both[2] = {ready, pi.hProcess}; WaitForMultipleObjects(2, both, FALSE, 30000) != WAIT_OBJECT_0) {
    r.error = "the yardstick did not get ready";
  } else {
    Sleep(100);  // settled, as Varnel is before the key
    const SIZE_T before = Memory(pi.hProcess).WorkingSetSize;
    SIZE_T highest = before;
    const std::int64_t start = Now();
    SetEvent(go);
    for (;;) {
      highest = std::max(highest, Memory(pi.hProcess).WorkingSetSize);
      if (Complete(file, jpeg ? Kind::Jpeg : Kind::Bmp, s)) {
        r.ms = Ms(start, Now());
        break;
      }
      if (Ms(start, Now()) > 30000) {
        r.error = "no complete file within 30 s";
        break;
      }
      Sleep(1);
    }
    r.peakMiB = MiB(highest - before);
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    if (r.error.empty() && code != 0) r.error = "the yardstick failed (" + std::to_string(code) + ")";
    if (r.error.empty() && !Verify(file, jpeg ? Kind::Jpeg : Kind::Bmp, s))
      r.error = "the yardstick's file does not hold the picture";
    r.ok = r.error.empty();
  }
  if (pi.hProcess) {
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(ready);
  CloseHandle(go);
  DeleteFileW(file.c_str());
  return r;
}

bool Compare(int reps) {
  bool ok = true;
  int round = 0;
  for (const char* format : {"JPG", "BMP"}) {
    const bool jpeg = format[0] == 'J';
    Capturer c(std::wstring(L"compare-") + (jpeg ? L"jpg" : L"bmp"), format);
    if (!c.Ready()) {
      std::printf("FAILED: Varnel.exe showed no window\n");
      return false;
    }
    c.Capture({64, 64});  // a first capture, not counted: loads what capture loads
    const std::wstring yardstickFolder = c.shots() + L"-yardstick";
    CreateDirectoryW(yardstickFolder.c_str(), nullptr);
    for (Size s : kSizes) {
      char what[48];
      std::snprintf(what, sizeof what, "%s-%dx%d", jpeg ? "jpg" : "bmp", s.w, s.h);
      for (int i = 0; i < reps; ++i) {
        Side varnel, yardstick;
        auto ours = [&] {
          HANDLE process = c.process();
          SIZE_T before = 0, highest = 0;
          auto r = c.Capture(
              s, [&] { highest = before = Memory(process).WorkingSetSize; },
              [&] { highest = std::max(highest, Memory(process).WorkingSetSize); });
          varnel.ok = r.ok;
          varnel.error = r.error;
          varnel.ms = r.completeMs;
          varnel.peakMiB = MiB(highest - before);
        };
        auto theirs = [&] {
          if (!e2e::PutPictureOnClipboard(s.w, s.h)) {
            yardstick.error = "the clipboard refused the picture";
            return;
          }
          Sleep(300);
          yardstick = YardstickCapture(yardstickFolder, jpeg, s, ++round);
        };
        InTurn(i % 2 == 0, ours, theirs);
        if (!varnel.ok || !yardstick.ok) {
          std::printf("FAILED: %s round %d: %s\n", what, i + 1, (varnel.ok ? yardstick.error : varnel.error).c_str());
          ok = false;
          continue;
        }
        std::printf("figure time-%s varnel %.2f\nfigure time-%s yardstick %.2f\n", what, varnel.ms, what, yardstick.ms);
        std::printf("figure memory-%s varnel %.2f\nfigure memory-%s yardstick %.2f\n", what, varnel.peakMiB, what,
                    yardstick.peakMiB);
      }
    }
    RemoveDirectoryW(yardstickFolder.c_str());
  }
  return ok;
}

// PNG against JPEG, both Varnel's, at 3840 x 2160: one Varnel switched
// between the two formats as a user would, the formats taking turns at
// going first.
bool ComparePngToJpeg(int reps) {
  Capturer c(L"compare-png", "JPG");
  if (!c.Ready()) {
    std::printf("FAILED: Varnel.exe showed no window\n");
    return false;
  }
  const Size s{3840, 2160};
  bool ok = true;
  for (const char* format : {"PNG", "JPG"}) {  // first captures, not counted
    c.UseFormat(format);
    c.Capture({64, 64});
  }
  for (int i = 0; i < reps; ++i) {
    double png = 0, jpg = 0;
    auto one = [&](const char* format, double& ms) {
      c.UseFormat(format);
      const auto r = c.Capture(s);
      if (!r.ok) std::printf("FAILED: %s 3840x2160 round %d: %s\n", format, i + 1, r.error.c_str());
      ok = ok && r.ok;
      ms = r.completeMs;
    };
    auto pngSide = [&] { one("PNG", png); };
    auto jpgSide = [&] { one("JPG", jpg); };
    InTurn(i % 2 == 0, pngSide, jpgSide);
    std::printf("figure time-png-vs-jpg-3840x2160 png %.2f\nfigure time-png-vs-jpg-3840x2160 jpg %.2f\n", png, jpg);
  }
  return ok;
}

// ---- 5. this build against an earlier one ----

// Release to file of a 3840 x 2160 capture, JPEG and PNG, for this build's
// Varnel.exe and an earlier one, in turns (one copy runs at a time): each
// side starts, captures once to warm up, idles 12 s (longer than the 10 s
// for which Varnel keeps a capture's memory), then its first capture after
// idle is timed, and one a second later, as in a burst.
bool CompareBuilds(const std::wstring& before, int reps) {
  const Size s{3840, 2160};
  bool ok = true;
  for (const char* format : {"JPG", "PNG"}) {
    std::string name(format);
    for (char& ch : name) ch = static_cast<char>(ch | 0x20);
    for (int i = 0; i < reps; ++i) {
      auto side = [&](const char* which, const std::wstring& exe) {
        Capturer c(L"builds-" + std::wstring(which, which + std::strlen(which)), format, exe);
        if (!c.Ready()) {
          std::printf("FAILED: %s Varnel.exe showed no window\n", which);
          ok = false;
          return;
        }
        c.Capture(s);  // not counted: loads what a capture loads
        Sleep(12000);
        const auto first = c.Capture(s);
        Sleep(1000);
        const auto burst = c.Capture(s);
        if (!first.ok || !burst.ok) {
          std::printf("FAILED: %s %s round %d: %s\n", which, format, i + 1,
                      (first.ok ? burst.error : first.error).c_str());
          ok = false;
          return;
        }
        std::printf("figure builds-%s-first %s %.2f\nfigure builds-%s-burst %s %.2f\n", name.c_str(), which,
                    first.completeMs, name.c_str(), which, burst.completeMs);
      };
      auto after = [&] { side("after", {}); };
      auto earlier = [&] { side("before", before); };
      InTurn(i % 2 == 0, after, earlier);
    }
  }
  return ok;
}

// ---- 6. memory once the captures are done ----

// A resident program that reads every picture put on the clipboard, as
// Varnel does, into a 24-bit copy that it frees at once: what any reader
// of the clipboard's pictures keeps afterwards.
LRESULT CALLBACK ReaderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLIPBOARDUPDATE) {
    for (int i = 0; i < 200 && !OpenClipboard(w); ++i) Sleep(5);
    if (auto* bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
      BITMAP bm{};
      if (GetObjectW(bitmap, sizeof bm, &bm)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, bm.bmHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<std::uint8_t> copy(static_cast<std::size_t>((bm.bmWidth * 3 + 3) & ~3) *
                                       static_cast<std::size_t>(bm.bmHeight));
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), copy.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
      }
    }
    CloseClipboard();
    return 0;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(w);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(w, msg, wp, lp);
}

int RunReader(const std::wstring& readyEvent) {
  HANDLE ready = OpenEventW(EVENT_ALL_ACCESS, FALSE, readyEvent.c_str());
  WNDCLASSW wc{};
  wc.lpfnWndProc = ReaderProc;
  wc.lpszClassName = L"VarnelMeasureReader";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, L"reader", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window || !AddClipboardFormatListener(window)) return 2;
  if (ready) SetEvent(ready);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

// Wine reports no private bytes of another process (PrivateUsage 0), so
// they are read from the Linux side: the resident anonymous memory
// (RssAnon) of the process whose command line, as Wine sets it, holds
// `needle`; -1 where there is none. Linux's /proc is reached through Z:.
double LinuxPrivateMiB(const char* needle) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return -1;
  double mib = -1;
  do {
    if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
    const std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
    const std::wstring cmdline(dir.begin(), dir.end());
    std::string line = e2e::ReadFile(cmdline + L"\\cmdline").value_or("");
    std::replace(line.begin(), line.end(), '\0', ' ');
    if (line.find(needle) == std::string::npos) continue;
    const std::string status = e2e::ReadFile(cmdline + L"\\status").value_or("");
    const std::size_t at = status.find("RssAnon:");
    if (at != std::string::npos) mib = std::strtod(status.c_str() + at + 8, nullptr) / 1024.0;
    break;
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return mib;
}

// After `captures` 3840 x 2160 captures in JPEG and as many in PNG, and the
// 10 s for which Varnel keeps a capture's memory: how much more Varnel's
// working set and private bytes are than before its first capture, beside
// the resident reader's, which read the same pictures. Each round starts
// both anew. `exe`: another build's Varnel.exe.
bool MeasureIdleMemory(int captures, int rounds, const std::wstring& exe) {
  const Size s{3840, 2160};
  bool ok = true;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (int round = 1; round <= rounds; ++round) {
    const std::wstring readyName = L"VarnelMeasureReader-" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    // A copy under a name of its own: Wine shows Linux only the program's
    // path as its command line, which tells the reader from this program.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring readerExe = std::wstring(temp) + L"varnel-measure-reader.exe";
    CopyFileW(self, readerExe.c_str(), FALSE);
    std::wstring command = L"\"" + readerExe + L"\" --reader " + readyName;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION reader{};
    if (!CreateProcessW(readerExe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &reader) ||
        WaitForSingleObject(ready, 15000) != WAIT_OBJECT_0) {
      std::printf("FAILED: the reader did not start\n");
      return false;
    }
    {
      Capturer c(L"idle-memory", "JPG", exe);
      if (!c.Ready()) {
        std::printf("FAILED: Varnel.exe showed no window\n");
        ok = false;
      } else {
        Sleep(2000);
        const auto varnelBefore = Memory(c.process()), readerBefore = Memory(reader.hProcess);
        const char* varnelNeedle = "varnel-e2e-idle-memory\\Varnel.exe";
        const char* readerNeedle = "varnel-measure-reader.exe";
        const double varnelAnonBefore = LinuxPrivateMiB(varnelNeedle), readerAnonBefore = LinuxPrivateMiB(readerNeedle);
        for (const char* format : {"JPG", "PNG"}) {
          c.UseFormat(format);
          for (int i = 0; i < captures; ++i) {
            const auto r = c.Capture(s);
            if (!r.ok) {
              std::printf("FAILED: %s capture %d: %s\n", format, i + 1, r.error.c_str());
              ok = false;
            }
          }
        }
        Sleep(15000);  // the 10 s, and 5 s more
        const auto varnelAfter = Memory(c.process()), readerAfter = Memory(reader.hProcess);
        std::printf("figure idle-rss varnel %.2f\nfigure idle-rss reader %.2f\n",
                    MiB(varnelAfter.WorkingSetSize) - MiB(varnelBefore.WorkingSetSize),
                    MiB(readerAfter.WorkingSetSize) - MiB(readerBefore.WorkingSetSize));
        std::printf("figure idle-private varnel %.2f\nfigure idle-private reader %.2f\n",
                    MiB(varnelAfter.PrivateUsage) - MiB(varnelBefore.PrivateUsage),
                    MiB(readerAfter.PrivateUsage) - MiB(readerBefore.PrivateUsage));
        std::printf("figure idle-private-before varnel %.2f\nfigure idle-private-before reader %.2f\n",
                    MiB(varnelBefore.PrivateUsage), MiB(readerBefore.PrivateUsage));
        const double varnelAnon = LinuxPrivateMiB(varnelNeedle), readerAnon = LinuxPrivateMiB(readerNeedle);
        if (varnelAnon < 0 || varnelAnonBefore < 0 || readerAnon < 0 || readerAnonBefore < 0)
          std::printf("(the processes' memory could not be read from Linux's /proc)\n");
        else
          std::printf("figure idle-anon varnel %.2f\nfigure idle-anon reader %.2f\n", varnelAnon - varnelAnonBefore,
                      readerAnon - readerAnonBefore);
      }
    }
    PostMessageW(FindWindowW(L"VarnelMeasureReader", nullptr), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(reader.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(reader.hProcess, 1);
    CloseHandle(reader.hProcess);
    CloseHandle(reader.hThread);
    CloseHandle(ready);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--steps") == 0) {
    const std::string work(argv[3]);
    return RunSteps(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)), std::wstring(work.begin(), work.end()));
  }
  if (argc == 7 && std::strcmp(argv[1], "--yardstick") == 0) {
    const std::string file(argv[3]), prefix(argv[4]);
    return RunYardstick(argv[2], std::wstring(file.begin(), file.end()), std::wstring(prefix.begin(), prefix.end()),
                        {std::atoi(argv[5]), std::atoi(argv[6])});
  }
  if (argc == 3 && std::strcmp(argv[1], "--reader") == 0) {
    const std::string ready(argv[2]);
    return RunReader(std::wstring(ready.begin(), ready.end()));
  }
  int reps = 7, idleCaptures = 0;
  bool details = false;
  std::wstring before, exe;
  for (int i = 1; i < argc; ++i) {
    const bool value = i + 1 < argc;
    if (std::strcmp(argv[i], "--reps") == 0 && value) reps = std::max(2, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--details") == 0) details = true;
    if (std::strcmp(argv[i], "--before") == 0 && value)
      before.assign(argv[i + 1], argv[i + 1] + std::strlen(argv[i + 1]));
    if (std::strcmp(argv[i], "--idle-memory") == 0 && value) idleCaptures = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--exe") == 0 && value) exe.assign(argv[i + 1], argv[i + 1] + std::strlen(argv[i + 1]));
  }

  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Memory once the captures are done (scripts/measure-idle.sh): that alone.
  if (idleCaptures > 0) return MeasureIdleMemory(idleCaptures, reps, exe) ? 0 : 1;
  if (!before.empty()) {
    // This build against an earlier one (scripts/measure-capture.sh --before).
    return CompareBuilds(before, reps) ? 0 : 1;
  }
  bool ok = Compare(reps);
  ok = ComparePngToJpeg(reps) && ok;
  if (details) {
    MeasureClocks();
    ok = MeasureTimes(reps) && ok;
    ok = MeasureMemory(3) && ok;
    ok = MeasureSteps(reps) && ok;
  }
  return ok ? 0 : 1;
}
