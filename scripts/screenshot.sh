#!/usr/bin/env bash
# Takes docs/varnel-window.png: Varnel.exe's window on its first run, in a
# Wine virtual desktop (which draws the frame) on Xvfb at 96 dots per inch.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
triplet=i686-w64-mingw32
[ "$preset" = win64 ] && triplet=x86_64-w64-mingw32
bash scripts/build-libjpeg-turbo-mingw.sh "$triplet" >/dev/null
bash scripts/build-libdeflate.sh "$triplet" >/dev/null
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Varnel -- -j2 >/dev/null
work="$root/build/screenshot"
rm -rf "$work" && mkdir -p "$work"
cp "build/$preset/Varnel.exe" "build/$preset/Readme.txt" "$work/"
scripts/with-display.sh bash -c '
  scripts/wine-run.sh explorer /desktop=varnel,480x400 "'"$work"'/Varnel.exe" &
  sleep 8
  import -window root -crop 480x378+0+0 +repage "'"$work"'/desktop.png"
  convert "'"$work"'/desktop.png" -bordercolor "#3a6ea5" -fuzz 8% -trim +repage docs/varnel-window.png
'
echo "docs/varnel-window.png: $(identify -format "%wx%h" docs/varnel-window.png)"
