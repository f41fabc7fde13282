#!/usr/bin/env bash
# Takes docs/varnel-window.png: Varnel.exe's window on its first run, in a
# Wine virtual desktop (which draws the frame) on Xvfb at 96 dots per inch.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake --build --preset win32 --target Varnel -- -j2 >/dev/null
work="$root/build/screenshot"
rm -rf "$work" && mkdir -p "$work"
cp build/win32/Varnel.exe build/win32/Readme.txt "$work/"
scripts/with-display.sh bash -c '
  scripts/wine-run.sh explorer /desktop=varnel,480x400 "'"$work"'/Varnel.exe" &
  sleep 8
  import -window root -crop 480x378+0+0 +repage "'"$work"'/desktop.png"
  convert "'"$work"'/desktop.png" -bordercolor "#3a6ea5" -fuzz 8% -trim +repage docs/varnel-window.png
'
echo "docs/varnel-window.png: $(identify -format "%wx%h" docs/varnel-window.png)"
