#!/usr/bin/env bash
# The Windows build's imaging code under Wine, set beside native figures in
# one run, and printed as tables:
# 1. Resample, 3840x2160 -> 1920x1080 and back up, both contents, with
#    each kernel the Windows build runs here, against OpenCV's cv::resize
#    (INTER_LINEAR, one thread) natively. R rounds (default 5); in each the
#    Windows timing program (tests/wine/imaging_measure.cpp) and the native
#    OpenCV benchmark run 5 times each, taking turns at going first from
#    round to round. A round's ratio is the Windows median over the OpenCV
#    median; the table gives the medians over the rounds and the ratio's
#    median and min-max (target: at most 2 for the vector kernels).
# 2. SaveDibAsJpeg against a bare tjCompress2 into a reused buffer plus one
#    WriteFile, both in the Windows build, in one process under Wine
#    (target: the writer on one thread at most 1.1 times the bare encoder).
# The x86_64 build always; the i686 build too where 32-bit programs run
# (see scripts/wine-env.sh). Runs on a private Xvfb display unless DISPLAY
# is set. Installs libopencv-dev and libbenchmark-dev first when missing
# (they serve the benchmarks only).
# Usage: scripts/bench-wine.sh [--rounds R]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ -z "${DISPLAY:-}" ]; then exec scripts/with-display.sh bash "$0" "$@"; fi
rounds=5
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    *) echo "usage: scripts/bench-wine.sh [--rounds R]" >&2; exit 2 ;;
  esac
done
source scripts/wine-env.sh

for p in libopencv-dev libbenchmark-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "bench-wine: installing $p"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "$p" >/dev/null
  fi
done
presets=(win64)
[ "$VARNEL_WINE_ARCH" = win32 ] && presets+=(win32)
cmake --preset linux >/dev/null
cmake --build --preset linux --target varnel_bench -- -j2 >/dev/null
for preset in "${presets[@]}"; do
  triplet=x86_64-w64-mingw32
  [ "$preset" = win32 ] && triplet=i686-w64-mingw32
  bash scripts/build-libjpeg-turbo-mingw.sh "$triplet" >/dev/null
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target imaging_measure -- -j2 >/dev/null
done

out="$root/build/bench-wine"
rm -rf "$out"
mkdir -p "$out"
echo "Wine: $VARNEL_WINE ($VARNEL_WINE_WHY)"
for preset in "${presets[@]}"; do
  for r in $(seq "$rounds"); do
    windows() { scripts/wine-run.sh "build/$preset/imaging_measure.exe" --resample --reps 5 >"$out/$preset-$r.txt"; }
    native() {
      build/linux/varnel_bench --benchmark_filter='^OpenCV/' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/native-$preset-$r.json" 2>/dev/null
    }
    if [ $((r % 2)) -eq 1 ]; then windows; native; else native; windows; fi
  done
done

python3 - "$out" "$rounds" "${presets[@]}" <<'PY'
import json, mmap, statistics, sys, time
out, rounds, presets = sys.argv[1], int(sys.argv[2]), sys.argv[3:]

def fresh_native(size):
    """Milliseconds to write once a fresh anonymous mapping of `size` bytes, natively."""
    times = []
    for _ in range(5):
        t0 = time.perf_counter()
        m = mmap.mmap(-1, size)
        m[::4096] = b"\x55" * len(range(0, size, 4096))
        times.append(1000 * (time.perf_counter() - t0))
        m.close()
    return statistics.median(times)

for preset in presets:
    build = {"win64": "x86_64", "win32": "i686"}[preset]
    windows, native, fresh = {}, {}, {}  # (kernel, case) / case -> median of each round
    for r in range(1, rounds + 1):
        for line in open(f"{out}/{preset}-{r}.txt"):
            parts = line.split()
            if parts and parts[0] == "resample":
                windows.setdefault((parts[1], parts[2]), []).append(float(parts[3]))
            if parts and parts[0] == "fresh":
                fresh.setdefault(parts[2], []).append(float(parts[3]))
        for b in json.load(open(f"{out}/native-{preset}-{r}.json"))["benchmarks"]:
            if b.get("aggregate_name") == "median":
                case = b["run_name"].removeprefix("OpenCV/").removesuffix("/real_time")
                native.setdefault(case, []).append(b["real_time"])
    print()
    print(f"Resample, {build} Windows build under Wine against OpenCV natively ({rounds} rounds; ms). Every Resample")
    print("returns a new buffer, whose pages are first written then; OpenCV writes into one it keeps. 'fresh' is")
    print("what a new buffer of the destination's size costs under Wine (created, its pages written once), and")
    print("'compute' the Resample less that.")
    print(f"{'kernel':9} {'picture':30} {'Windows':>8} {'fresh':>7} {'OpenCV':>7}  {'ratio (min-max)':21} "
          f"{'compute ratio':21} {'target':>6}")
    for (kernel, case), times in windows.items():
        cv, fr = native.get(case), fresh.get(case)
        if not cv or len(cv) != len(times) or not fr:
            print(f"{kernel:9} {case:30} {statistics.median(times):8.2f}")
            continue
        ratios = [w / c for w, c in zip(times, cv)]
        computes = [max(w - f, 0) / c for w, f, c in zip(times, fr, cv)]
        text = lambda r: f"{statistics.median(r):.2f}x ({min(r):.2f}-{max(r):.2f})"
        vector = kernel != "portable"
        verdict = ("met" if statistics.median(ratios) <= 2.0 else "MISSED") if vector else ""
        print(f"{kernel:9} {case:30} {statistics.median(times):8.2f} {statistics.median(fr):7.2f} "
              f"{statistics.median(cv):7.2f}  {text(ratios):21} {text(computes):21} {'2.0x' if vector else '':>6}  "
              f"{verdict}")
print()
print("For scale, natively on this machine: writing a fresh anonymous mapping once takes "
      f"{fresh_native(1920 * 3 * 1080):.1f} ms for 1920x1080x3 bytes and {fresh_native(3840 * 3 * 2160):.1f} ms "
      "for 3840x2160x3.")
PY

for preset in "${presets[@]}"; do
  echo
  echo "$preset build:"
  scripts/wine-run.sh "build/$preset/imaging_measure.exe" --jpeg
done
