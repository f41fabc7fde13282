#!/usr/bin/env bash
# Measures captures of Varnel.exe under Wine and prints the figures: the
# time from the release of Print Screen to the complete file (1920x1080 and
# 3840x2160, JPEG and BMP), Varnel.exe's memory around 3840x2160 JPEG
# captures, and the time of each step of a capture. Builds the win32 preset
# first; runs on a private Xvfb display unless DISPLAY is set, in the
# project's WINEPREFIX (build/wineprefix) unless WINEPREFIX is set.
# Usage: scripts/measure-capture.sh [--reps N]   (default 7 captures each)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/build-libjpeg-turbo-mingw.sh i686-w64-mingw32 >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Varnel capture_measure -- -j2 >/dev/null
scripts/with-display.sh scripts/wine-run.sh build/win32/capture_measure.exe "$@"
