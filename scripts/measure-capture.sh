#!/usr/bin/env bash
# Measures captures of Varnel.exe under Wine and prints the figures: the
# time from the release of Print Screen to the complete file (1920x1080 and
# 3840x2160, JPEG and BMP), Varnel.exe's memory around 3840x2160 JPEG
# captures, and the time of each step of a capture. Builds the main job's
# preset first (win32, or win64 where 32-bit programs cannot run: see
# scripts/wine-env.sh); runs on a private Xvfb display unless DISPLAY is
# set, in the project's WINEPREFIX unless WINEPREFIX is set.
# Usage: scripts/measure-capture.sh [--reps N]   (default 7 captures each)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
triplet=i686-w64-mingw32
[ "$preset" = win64 ] && triplet=x86_64-w64-mingw32
echo "measuring build/$preset under $VARNEL_WINE: $VARNEL_WINE_WHY"
bash scripts/build-libjpeg-turbo-mingw.sh "$triplet" >/dev/null
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Varnel capture_measure -- -j2 >/dev/null
scripts/with-display.sh scripts/wine-run.sh "build/$preset/capture_measure.exe" "$@"
