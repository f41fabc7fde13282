#!/usr/bin/env bash
# Runs a Windows test program under Wine (through scripts/wine-run.sh) with
# small file systems of its own, for the cases a user's disk brings: a
# 3 MiB one that the tests fill up, a read-only one, and a read-only one
# holding Varnel.exe and Readme.txt from beside the program, as an
# installation under Program Files is for a standard user. They are mounted
# under build/<preset>/e2e-mounts/{small,readonly,install} when this machine
# lets us mount (as root), and their Windows folders are handed to the tests
# in VARNEL_E2E_SMALL_DISK, VARNEL_E2E_READONLY_DISK and
# VARNEL_E2E_READONLY_INSTALL; the tests that need them are skipped, saying
# why, where they are missing.
# Usage: tests/wine/e2e-mounts.sh <program.exe> [arguments...]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="$1"
shift
mounts="$(cd "$(dirname "$exe")" && pwd)/e2e-mounts"
mounted=()
cleanup() {
  local m
  for m in "${mounted[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  return 0
}
trap cleanup EXIT

windows() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$mounts/small" "$mounts/readonly" "$mounts/install"
for m in small readonly install; do mountpoint -q "$mounts/$m" && umount "$mounts/$m" 2>/dev/null; done
if mount -t tmpfs -o size=3m,mode=0777 varnel-e2e-small "$mounts/small" 2>/dev/null; then
  mounted+=("$mounts/small")
  export VARNEL_E2E_SMALL_DISK="$(windows "$mounts/small")"
fi
if mount -t tmpfs -o size=1m,mode=0777 varnel-e2e-readonly "$mounts/readonly" 2>/dev/null; then
  mounted+=("$mounts/readonly")
  mkdir -p "$mounts/readonly/shots"
  if mount -o remount,ro "$mounts/readonly" 2>/dev/null; then
    export VARNEL_E2E_READONLY_DISK="$(windows "$mounts/readonly")"
  fi
fi
if mount -t tmpfs -o size=16m,mode=0755 varnel-e2e-install "$mounts/install" 2>/dev/null; then
  mounted+=("$mounts/install")
  if cp "$(dirname "$exe")/Varnel.exe" "$(dirname "$exe")/Readme.txt" "$mounts/install/" 2>/dev/null &&
    mount -o remount,ro "$mounts/install" 2>/dev/null; then
    export VARNEL_E2E_READONLY_INSTALL="$(windows "$mounts/install")"
  fi
fi
# The X pointer, where there is an X display and xdotool (see x-pointer.sh):
# its request file is handed to the tests in VARNEL_E2E_X_POINTER.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  alive="$mounts/x-pointer.alive"
  touch "$alive"
  rm -f "$mounts/x-pointer.request"
  "$here/x-pointer.sh" "$mounts/x-pointer.request" "$alive" &
  pointer=$!
  export VARNEL_E2E_X_POINTER="$(windows "$mounts/x-pointer.request")"
  trap 'rm -f "$alive"; wait "$pointer" 2>/dev/null; cleanup' EXIT
fi
"$here/../../scripts/wine-run.sh" "$exe" "$@"
