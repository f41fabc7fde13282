#!/usr/bin/env bash
# Runs the two-monitor tests on a display with two monitors side by side
# (scripts/with-two-monitors.sh), in a fresh prefix of their own
# (tests/wine/fresh-prefix.sh): a prefix's Wine server keeps to the display
# it started on. The X pointer is lent to them as e2e-mounts.sh lends it
# (tests/wine/x-pointer.sh). Where no such display can be had here, the
# program still runs, on the display at hand, and its tests report
# themselves skipped with the reason (VARNEL_TWO_MONITORS_WHY).
# Usage: tests/wine/two-monitors.sh PREFIX PROGRAM [ARGS...]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
scripts="$here/../../scripts"

if [ "${1:-}" = --inside ]; then
  # On the two-monitor display: the pointer, then the program.
  shift
  prefix="$1"
  shift
  work="$(mktemp -d "${TMPDIR:-/tmp}/varnel-pointer.XXXXXX")" || exit 1
  touch "$work/alive"
  "$here/x-pointer.sh" "$work/request" "$work/alive" &
  pointer=$!
  export VARNEL_E2E_X_POINTER="Z:${work//\//\\}\\request"
  bash "$here/fresh-prefix.sh" "$prefix" "$@"
  status=$?
  rm -f "$work/alive"
  wait "$pointer" 2>/dev/null
  rm -rf "$work"
  exit "$status"
fi

prefix="$1"
shift
err="$(mktemp)"
bash "$scripts/with-two-monitors.sh" bash "${BASH_SOURCE[0]}" --inside "$prefix" "$@" 2>"$err"
status=$?
cat "$err" >&2
if [ "$status" -eq 3 ]; then
  why="$(grep -m1 '^with-two-monitors:' "$err")"
  rm -f "$err"
  VARNEL_TWO_MONITORS_WHY="${why:-no display with two monitors here}" "$scripts/wine-run.sh" "$@"
  exit $?
fi
rm -f "$err"
exit "$status"
