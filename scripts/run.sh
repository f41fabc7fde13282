#!/usr/bin/env bash
# The main job: build Varnel.exe and run a real capture with it under Wine,
# in a private WINEPREFIX and on a private Xvfb display when none is set:
# Print Screen pressed, the screen saved as a JPEG in the capture folder.
# The build is i686 where this machine runs 32-bit programs, and x86_64
# under the 64-bit loader where it cannot (see scripts/wine-env.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
case "$preset" in
  win32) triplet=i686-w64-mingw32 arch=i686 ;;
  win64) triplet=x86_64-w64-mingw32 arch=x86_64 ;;
esac
echo "main job: build/$preset/Varnel.exe ($arch) under $VARNEL_WINE: $VARNEL_WINE_WHY"
bash scripts/build-libjpeg-turbo-mingw.sh "$triplet"
bash scripts/build-libdeflate.sh "$triplet"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Varnel varnel_demo -- -j2 >/dev/null
export WINEPREFIX="$root/build/run-prefix-$preset"
rm -rf "$WINEPREFIX" build/run-capture.jpg
export VARNEL_DEMO_COPY="Z:$root/build/run-capture.jpg"
scripts/with-display.sh bash -c '
  scripts/wine-run.sh "build/'"$preset"'/varnel_demo.exe"
  status=$?
  echo "--- wine reg query of the start-up entry ---"
  scripts/wine-run.sh reg query "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v Varnel 2>/dev/null | tr -d "\r" | grep -v "^$" || true
  exit $status
'
# The Desktop is a folder of the prefix's own (see scripts/wine-run.sh):
# the capture stays inside build/.
for shot in "$WINEPREFIX"/drive_c/users/*/Desktop/*.jpg; do
  [ -e "$shot" ] && echo "--- the capture in the prefix: ${shot#"$root"/}"
done
echo "--- the capture, copied for viewing: build/run-capture.jpg"
