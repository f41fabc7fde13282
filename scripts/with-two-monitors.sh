#!/usr/bin/env bash
# Runs a command on a private X display with two monitors side by side,
# which Wine reports as two monitors: a primary one and a second one next
# to it (by default 1280x1024 and, right of it, 1024x768), 24 bits, 96 dots
# per inch. Like scripts/with-display.sh it starts the server, runs the
# command with the Wine environment of scripts/wine-env.sh, and stops the
# server and our prefix's Wine server afterwards; unlike it, it always
# starts its own display, whatever DISPLAY says.
#
#   scripts/with-two-monitors.sh [--primary WxH] [--second WxH]
#                                [--side right|left|above|below] CMD...
#
# The defaults come from VARNEL_PRIMARY_MONITOR, VARNEL_SECOND_MONITOR and
# VARNEL_SECOND_SIDE. Xvfb cannot do this (its screens all sit at 0,0), so
# the server is Xorg with the dummy video driver: one X screen per monitor,
# joined by Xinerama, which Wine reads the monitors from. With the dummy
# driver Xorg opens no console or virtual terminal and needs no root.
#
# Exit codes: the command's own; 2 for a wrong call; 3 when the display
# cannot be had, with one line on stderr saying why ("with-two-monitors:
# ..."), so that a test can report itself skipped for that reason.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" || exit 2

primary="${VARNEL_PRIMARY_MONITOR:-1280x1024}"
second="${VARNEL_SECOND_MONITOR:-1024x768}"
side="${VARNEL_SECOND_SIDE:-right}"
while [ $# -gt 0 ]; do
  case "$1" in
    --primary) primary="${2:-}"; shift 2 || break ;;
    --second) second="${2:-}"; shift 2 || break ;;
    --side) side="${2:-}"; shift 2 || break ;;
    --primary=*) primary="${1#*=}"; shift ;;
    --second=*) second="${1#*=}"; shift ;;
    --side=*) side="${1#*=}"; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
usage() { echo "with-two-monitors: $1" >&2; exit 2; }
[ $# -gt 0 ] || usage "no command given"
for size in "$primary" "$second"; do
  [[ "$size" =~ ^[1-9][0-9]{2,4}x[1-9][0-9]{2,4}$ ]] || usage "a monitor's size is WIDTHxHEIGHT, not '$size'"
done
case "$side" in
  right) relation=RightOf ;;
  left) relation=LeftOf ;;
  above) relation=Above ;;
  below) relation=Below ;;
  *) usage "--side is right, left, above or below, not '$side'" ;;
esac

unavailable() { echo "with-two-monitors: $1" >&2; exit 3; }
xorg=/usr/lib/xorg/Xorg
[ -x "$xorg" ] || unavailable "no Xorg server (Debian package xserver-xorg-core)"
[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
  unavailable "no dummy video driver (Debian package xserver-xorg-video-dummy)"

work="$(mktemp -d "${TMPDIR:-/tmp}/varnel-xorg.XXXXXX")" || unavailable "no temporary folder"
started=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started" ] && kill "$started" 2>/dev/null && wait "$started" 2>/dev/null
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

# One Device, Monitor and Screen per monitor. The dummy driver shows only a
# mode its Monitor section names, so each gets a modeline of its own size,
# its clock kept under the driver's limit of 300 MHz; its video memory is
# the frame buffer's size.
monitor_sections() {  # <n> <W> <H>
  local n="$1" w="$2" h="$3" htotal vtotal hz clock
  htotal=$((w + 160)) vtotal=$((h + 30))
  hz=$((290000000 / (htotal * vtotal)))
  [ "$hz" -gt 60 ] && hz=60
  [ "$hz" -lt 1 ] && unavailable "a monitor of ${w}x${h} is too large for the dummy driver"
  clock=$((htotal * vtotal * hz / 10000))
  cat <<EOF
Section "Device"
  Identifier "d$n"
  Driver "dummy"
  VideoRam $(((w * h * 4 + 1023) / 1024 + 1024))
EndSection
Section "Monitor"
  Identifier "m$n"
  HorizSync 1.0-1000.0
  VertRefresh 1.0-200.0
  Modeline "${w}x${h}" $((clock / 100)).$(printf %02d $((clock % 100))) $w $((w + 48)) $((w + 80)) $htotal $h $((h + 3)) $((h + 7)) $vtotal +hsync +vsync
EndSection
Section "Screen"
  Identifier "s$n"
  Device "d$n"
  Monitor "m$n"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "${w}x${h}"
    Virtual $w $h
  EndSubSection
EndSection
EOF
}

# No input devices of the machine's own (the XTEST ones that xdotool uses
# are always there), no VT switching. Wine 8 crashes while listing the
# modes of a second Xinerama monitor through XF86VidMode (free(): invalid
# pointer, then one monitor only), so that extension is left out.
{
  cat <<EOF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
  Option "Xinerama" "on"
  Option "DisableVidModeExtension" "true"
EndSection
EOF
  monitor_sections 0 "${primary%x*}" "${primary#*x}"
  monitor_sections 1 "${second%x*}" "${second#*x}"
  cat <<EOF
Section "ServerLayout"
  Identifier "two-monitors"
  Screen 0 "s0" 0 0
  Screen 1 "s1" $relation "s0"
EndSection
EOF
} >"$work/xorg.conf" || exit 3
mkdir -p "$work/xorg.conf.d"

# A free display number, as scripts/with-display.sh picks it (the server
# locks it; -displayfd would skip the lock), and the server ready once a
# client gets through.
for n in $(seq 121 150); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  "$xorg" ":$n" -config "$work/xorg.conf" -configdir "$work/xorg.conf.d" \
    -logfile "$work/Xorg.log" -noreset -nolisten tcp -novtswitch -sharevts \
    -dpi 96 >/dev/null 2>&1 &
  started=$!
  ready=""
  for _ in $(seq 100); do
    kill -0 "$started" 2>/dev/null || break
    xdpyinfo -display ":$n" >/dev/null 2>&1 && ready=1 && break
    sleep 0.1
  done
  [ -n "$ready" ] && break
  kill "$started" 2>/dev/null
  wait "$started" 2>/dev/null
  started=""
  # Another server took the number meanwhile: try the next one.
  grep -q 'already active' "$work/Xorg.log" 2>/dev/null && continue
  # The server's own reason is the line after "Fatal server error:".
  why="$(grep -A1 -m1 '^Fatal server error' "$work/Xorg.log" 2>/dev/null | sed -n '2s/^\[[^]]*\] (EE) //p')"
  unavailable "Xorg did not start on :$n${why:+: $why}"
done
[ -n "$started" ] || unavailable "no free display number in :121-:150"

# The dummy driver falls back to a mode of its own for a size it cannot
# show (a height under 128, say) and Xorg then starts with other monitors
# than asked for: the heads Xinerama reports must be those of the layout.
w0="${primary%x*}" h0="${primary#*x}" w1="${second%x*}" h1="${second#*x}"
case "$side" in
  right) want="$primary @ 0,0;$second @ $w0,0" ;;
  left) want="$primary @ $w1,0;$second @ 0,0" ;;
  below) want="$primary @ 0,0;$second @ 0,$h0" ;;
  above) want="$primary @ 0,$h1;$second @ 0,0" ;;
esac
heads="$(xdpyinfo -display ":$n" -ext XINERAMA 2>/dev/null |
  sed -n 's/^ *head #[0-9]*: //p' | paste -sd ';')"
[ "$heads" = "$want" ] ||
  unavailable "Xorg made the monitors '${heads:-none}', not '$want'"
export DISPLAY=":$n"
"$@"
