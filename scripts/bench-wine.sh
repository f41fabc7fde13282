#!/usr/bin/env bash
# The Windows build's imaging code under Wine, set beside native figures in
# one run, and printed as tables:
# 1. Resample, 3840x2160 -> 1920x1080 and back up, both contents, with
#    each kernel the Windows build runs here, against OpenCV's cv::resize
#    (INTER_LINEAR, one thread) natively. R rounds (default 5); in each the
#    Windows timing program (tools/imaging_measure.cpp) and the native
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
# Usage: scripts/bench-wine.sh [--rounds R] [--raw FOLDER]
#   --raw: only the resampling rounds, their raw figures left in FOLDER for
#   scripts/measure-capture.sh, nothing printed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ -z "${DISPLAY:-}" ]; then exec scripts/with-display.sh bash "$0" "$@"; fi
rounds=5
raw=""
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --raw) raw="$2"; shift 2 ;;
    *) echo "usage: scripts/bench-wine.sh [--rounds R] [--raw FOLDER]" >&2; exit 2 ;;
  esac
done
source scripts/wine-env.sh

# OpenCV serves the benchmarks only, so set-up adds it here.
bash scripts/setup.sh libopencv-dev
presets=(win64)
[ "$VARNEL_WINE_ARCH" = win32 ] && presets+=(win32)
[ -n "$raw" ] && presets=("$VARNEL_MAIN_PRESET")
bash scripts/build-libdeflate.sh "$(gcc -dumpmachine)" >/dev/null
cmake --preset linux >/dev/null
cmake --build --preset linux --target varnel_bench -- -j2 >/dev/null
for preset in "${presets[@]}"; do
  triplet=x86_64-w64-mingw32
  [ "$preset" = win32 ] && triplet=i686-w64-mingw32
  bash scripts/build-libjpeg-turbo-mingw.sh "$triplet" >/dev/null
  bash scripts/build-libdeflate.sh "$triplet" >/dev/null
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target imaging_measure -- -j2 >/dev/null
done

out="${raw:-$root/build/bench-wine}"
rm -rf "$out"
mkdir -p "$out"
[ -n "$raw" ] || echo "Wine: $VARNEL_WINE ($VARNEL_WINE_WHY)"
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

[ -n "$raw" ] && exit 0
python3 scripts/wine_figures.py resample "$out" "$rounds" "${presets[@]}"

for preset in "${presets[@]}"; do
  echo
  echo "$preset build:"
  scripts/wine-run.sh "build/$preset/imaging_measure.exe" --jpeg
done
