#!/usr/bin/env bash
# The main job: build Varnel.exe (i686) and run a real capture with it under
# Wine, in a private WINEPREFIX and on a private Xvfb display when none is
# set: Print Screen pressed, the screen saved as a JPEG in the capture folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build-libjpeg-turbo-mingw.sh i686-w64-mingw32
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Varnel varnel_demo -- -j2 >/dev/null
export WINEPREFIX="$root/build/run-prefix"
rm -rf "$WINEPREFIX" build/run-capture.jpg
export VARNEL_DEMO_COPY="Z:$root/build/run-capture.jpg"
scripts/with-display.sh bash -c '
  scripts/wine-run.sh build/win32/varnel_demo.exe
  status=$?
  echo "--- wine reg query of the start-up entry ---"
  scripts/wine-run.sh reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v Varnel 2>/dev/null | tr -d "\r" | grep -v "^$" || true
  exit $status
'
echo "--- the capture, copied for viewing: build/run-capture.jpg"
