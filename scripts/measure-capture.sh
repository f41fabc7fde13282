#!/usr/bin/env bash
# Measures Varnel.exe's captures under Wine and prints them as one table:
# the time from the release of Print Screen to the complete file (1920x1080
# and 3840x2160, JPEG and BMP) and the peak working set of a 3840x2160 JPEG
# capture, each beside a yardstick measured in the same run and in turns (a
# fresh process doing only what any program must do: the first
# GetClipboardData, one GetDIBits, for JPEG one single-thread tjCompress2
# into a buffer made beforehand, and one write; see
# tools/capture_measure.cpp), and resampling in the Windows build
# against OpenCV natively, also in turns (scripts/bench-wine.sh --raw).
# Builds the main job's preset first (win32, or win64 where 32-bit
# programs cannot run: see scripts/wine-env.sh); runs on a private Xvfb
# display unless DISPLAY is set, in the project's WINEPREFIX unless
# WINEPREFIX is set.
# Usage: scripts/measure-capture.sh [--reps N] [--details]
#        scripts/measure-capture.sh --before EXE [--reps N]
#   --reps N      rounds of the capture comparison (default 7)
#   --details     also the clocks, the capture's steps and its memory over time
#   --before EXE  instead: this build's release to file at 3840x2160, JPEG
#                 and PNG, against an earlier build's Varnel.exe (EXE, a
#                 Linux path), the first capture after idle and one in a
#                 burst, the builds taking turns
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
echo "measuring build/$preset under $VARNEL_WINE: $VARNEL_WINE_WHY"
varnel_build_windows "$preset" Varnel capture_measure
out="$root/build/measure-capture"
mkdir -p "$out"
if [ "${1:-}" = --before ]; then
  before="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
  shift 2
  scripts/with-display.sh scripts/wine-run.sh "build/$preset/capture_measure.exe" --before "Z:${before//\//\\}" "$@" \
    >"$out/builds.txt" || true
  exec python3 scripts/wine_figures.py builds "$out/builds.txt"
fi
rounds=5
status=0
scripts/with-display.sh scripts/wine-run.sh "build/$preset/capture_measure.exe" "$@" >"$out/capture.txt" || status=1
grep -v '^figure ' "$out/capture.txt" || true
scripts/with-display.sh bash scripts/bench-wine.sh --rounds "$rounds" --raw "$out/resample" || status=1
python3 scripts/wine_figures.py capture "$out/capture.txt" "$out/resample" "$rounds" "$preset" || status=1
exit $status
