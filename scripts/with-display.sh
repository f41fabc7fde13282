#!/usr/bin/env bash
# Runs a command with an X display: the one in DISPLAY if set, otherwise a
# private Xvfb server (1280x1024, 24 bits, 96 dots per inch) that is
# stopped again afterwards, together with the Wine server of our prefix
# (the one scripts/wine-env.sh picks for this machine).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" || exit 2
started=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
    started=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
fi
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started" ] && kill "$started" 2>/dev/null && wait "$started" 2>/dev/null
  return 0
}
trap cleanup EXIT
"$@"
