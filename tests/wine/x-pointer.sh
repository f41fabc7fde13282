#!/usr/bin/env bash
# Lends the Windows test programs under Wine the X server's own pointer and
# keyboard (xdotool), for what only a real click does: Wine's notification
# area hears the X pointer, not input a program sends inside Wine.
# A test writes one line of xdotool arguments to the request file
# ("mousemove 13 32 click 3"); this runs it and deletes the file, which
# tells the test it is done. Runs until the file named by `alive` goes.
# Usage: tests/wine/x-pointer.sh <request file> <alive file>
set -uo pipefail
request="$1" alive="$2"
while [ -e "$alive" ]; do
  if [ -f "$request" ]; then
    read -r -a args <"$request" || true
    [ ${#args[@]} -gt 0 ] && xdotool "${args[@]}" >/dev/null 2>&1
    rm -f "$request"
  fi
  sleep 0.05
done
