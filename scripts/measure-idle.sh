#!/usr/bin/env bash
# Measures what an idle Varnel.exe costs under Wine: the CPU time of its
# process and of the Wine server over a stretch of idle time, beside a
# yardstick started the same way (tools/idle_window.cpp, one hidden window
# and a message loop), in turns, and prints both and their ratio with its
# range over the rounds. Varnel runs as a user has it: settings present,
# window hidden, icon in the notification area.
# Then its memory once its captures are done: 4 captures at 3840x2160 in
# JPEG and 4 in PNG, then the 10 s for which Varnel keeps a capture's memory
# and 5 s more; how much its working set and private bytes grew, beside a
# resident program in the same prefix that read the same pictures from the
# clipboard and freed its copies at once (capture_measure --idle-memory),
# a fresh pair each round.
# Builds the main job's preset first (see scripts/wine-env.sh); runs on a
# private Xvfb display unless DISPLAY is set.
# Usage: scripts/measure-idle.sh [--rounds N] [--seconds S] [--exe PATH]
#   (defaults: 3 rounds of 20 s a side, 60 s of idle time for each)
#   --exe PATH   measure this Varnel.exe (an earlier build, say) instead
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
rounds=3
seconds=20
exe=""
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --exe) exe="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"; shift 2 ;;
    *) echo "usage: $0 [--rounds N] [--seconds S] [--exe PATH]" >&2; exit 2 ;;
  esac
done
source scripts/wine-env.sh
preset="$VARNEL_MAIN_PRESET"
echo "measuring build/$preset under $VARNEL_WINE: $VARNEL_WINE_WHY"
varnel_build_windows "$preset" Varnel idle_window capture_measure

export WINEPREFIX="$root/build/idle-prefix-$preset"
folder="$root/build/idle-varnel-$preset"
rm -rf "$folder"
mkdir -p "$folder/shots"
cp "${exe:-build/$preset/Varnel.exe}" "$folder/Varnel.exe"
echo "Varnel.exe: ${exe:-build/$preset/Varnel.exe}"
printf '[main]\r\npath=Z:%s\r\nformat=JPG\r\nopen=0\r\n' "${folder//\//\\}\\shots" >"$folder/Varnel.ini"
export VARNEL_IDLE_ROUNDS="$rounds" VARNEL_IDLE_SECONDS="$seconds" VARNEL_IDLE_VARNEL="$folder/Varnel.exe" \
  VARNEL_IDLE_YARDSTICK="$root/build/$preset/idle_window.exe"

scripts/with-display.sh bash -c '
set -euo pipefail
tck=$(getconf CLK_TCK)
# CPU time of a process in clock ticks (user and system).
cpu() { [ -n "$1" ] && awk "{ print \$14 + \$15 }" "/proc/$1/stat" 2>/dev/null || echo 0; }
# The prefix'"'"'s Wine server: its working folder is named after the
# prefix'"'"'s device and inode.
server_pid() {
  local id
  id=$(printf "server-%x-%x" $(stat -c "%d %i" "$WINEPREFIX"))
  for p in $(pgrep wineserver); do  # wineserver, or wineserver64
    case "$(readlink "/proc/$p/cwd")" in */"$id") echo "$p"; return ;; esac
  done
}
scripts/wine-run.sh cmd.exe /c exit >/dev/null 2>&1 || true  # the prefix made, its services started
measure() {  # exe: prints the CPU seconds of the program and of the server over the stretch
  local exe="$1" pid="" server before after sbefore safter
  scripts/wine-run.sh "$exe" >/dev/null 2>&1 &
  for _ in $(seq 100); do pid=$(pgrep -n -x -f "$exe" || true); [ -n "$pid" ] && break; sleep 0.1; done
  sleep 5  # started and settled: the start is not idle time
  server=$(server_pid)
  before=$(cpu "$pid"); sbefore=$(cpu "$server")
  sleep "$VARNEL_IDLE_SECONDS"
  after=$(cpu "$pid"); safter=$(cpu "$server")
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
  awk -v p=$((after - before)) -v s=$((safter - sbefore)) -v t="$tck" "BEGIN { printf \"%.2f %.2f\n\", p / t, s / t }"
}
printf "%-6s %-28s %-28s %s\n" round "Varnel.exe (process + server)" "yardstick (process + server)" ratio
vt=0; yt=0; ratios=""
for r in $(seq "$VARNEL_IDLE_ROUNDS"); do
  if [ $((r % 2)) -eq 1 ]; then
    v=$(measure "$VARNEL_IDLE_VARNEL"); y=$(measure "$VARNEL_IDLE_YARDSTICK")
  else
    y=$(measure "$VARNEL_IDLE_YARDSTICK"); v=$(measure "$VARNEL_IDLE_VARNEL")
  fi
  read -r vp vs <<<"$v"; read -r yp ys <<<"$y"
  line=$(awk -v vp="$vp" -v vs="$vs" -v yp="$yp" -v ys="$ys" "BEGIN {
    v = vp + vs; y = yp + ys; r = (y > 0 ? v / y : 0)
    printf \"%.2f s (%.2f + %.2f)     %.2f s (%.2f + %.2f)     %.2fx\", v, vp, vs, y, yp, ys, r }")
  printf "%-6s %s\n" "$r" "$line"
  vt=$(awk -v a="$vt" -v b="$vp" -v c="$vs" "BEGIN { print a + b + c }")
  yt=$(awk -v a="$yt" -v b="$yp" -v c="$ys" "BEGIN { print a + b + c }")
  ratios="$ratios $(awk -v v="$vp" -v w="$vs" -v y="$yp" -v z="$ys" "BEGIN { d = y + z; print (d > 0 ? (v + w) / d : 0) }")"
done
total=$((VARNEL_IDLE_ROUNDS * VARNEL_IDLE_SECONDS))
echo "$ratios" | awk -v vt="$vt" -v yt="$yt" -v s="$total" "{
  lo = \$1; hi = \$1; for (i = 2; i <= NF; i++) { if (\$i < lo) lo = \$i; if (\$i > hi) hi = \$i }
  printf \"idle %d s: Varnel.exe %.2f s of CPU, yardstick %.2f s; ratio %.2fx (rounds %.2f-%.2fx)\n\", s, vt, yt, (yt > 0 ? vt / yt : 0), lo, hi }"
'
# Memory once the captures are done, in the same prefix.
scripts/with-display.sh scripts/wine-run.sh "build/$preset/capture_measure.exe" --idle-memory 4 --reps "$rounds" \
  ${exe:+--exe "Z:${exe//\//\\}"} >"$root/build/idle-memory.txt" || true
python3 scripts/wine_figures.py memory "$root/build/idle-memory.txt"
