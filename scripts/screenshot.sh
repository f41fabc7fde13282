#!/usr/bin/env bash
# Takes docs/varnel-window.png: Varnel.exe's window on its first run, in a
# Wine virtual desktop (which draws the frame) on Xvfb at 96 dots per inch.
# With --dpi N (144 for 150 % scaling, say) the window is taken at that
# setting instead, into build/screenshot/varnel-window-<N>dpi.png, to see
# that every text still fits its place. With --menu the notification-area
# icon is right-clicked with the X pointer (xdotool) once the window is up,
# and the whole virtual desktop with the open menu is taken instead, into
# build/screenshot/varnel-menu-<N>dpi.png.
set -euo pipefail
dpi=96 menu=""
while [ $# -gt 0 ]; do
  case "$1" in
    --dpi) dpi="$2"; shift 2 ;;
    --menu) menu=1; shift ;;
    *) echo "usage: $0 [--dpi N] [--menu]" >&2; exit 2 ;;
  esac
done
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
varnel_build_windows "$preset" Varnel
work="$root/build/screenshot"
out=docs/varnel-window.png
[ "$dpi" = 96 ] || out="$work/varnel-window-${dpi}dpi.png"
[ -z "$menu" ] || out="$work/varnel-menu-${dpi}dpi.png"
rm -rf "$work/$dpi" && mkdir -p "$work/$dpi"
cp "build/$preset/Varnel.exe" "build/$preset/Readme.txt" "$work/$dpi/"
# A prefix of its own, for the setting of the screen's dots per inch.
export WINEPREFIX="$root/build/screenshot-prefix-$dpi"
width=$((480 * dpi / 96)) height=$((400 * dpi / 96))
# The icon stands at the right end of the virtual desktop's taskbar, at its
# bottom: a square as high as the taskbar.
bar=$((22 * dpi / 96))
click=""
[ -z "$menu" ] || click="xdotool mousemove $((width - bar / 2 - 2)) $((height - bar / 2)) click 3; sleep 2"
scripts/with-display.sh bash -c '
  scripts/wine-run.sh reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d '"$dpi"' /f >/dev/null 2>&1
  scripts/wine-run.sh explorer /desktop=varnel,'"${width}x${height}"' "'"$work/$dpi"'/Varnel.exe" &
  sleep 8
  '"$click"'
  if [ -n "'"$menu"'" ]; then
    import -window root -crop '"${width}x${height}"'+0+0 +repage "'"$out"'"
    exit 0
  fi
  import -window root -crop '"${width}x$((height - 22 * dpi / 96))"'+0+0 +repage "'"$work/$dpi"'/desktop.png"
  convert "'"$work/$dpi"'/desktop.png" -bordercolor "#3a6ea5" -fuzz 8% -trim +repage "'"$out"'"
'
echo "$out: $(identify -format "%wx%h" "$out")"
