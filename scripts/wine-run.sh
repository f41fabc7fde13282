#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private WINEPREFIX
# (build/wineprefix unless WINEPREFIX is set), making the prefix on first
# use. Passes the program's exit code through. Needs a display: see
# scripts/with-display.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  # Wine's own MS Sans Serif and Tahoma (package fonts-wine) are not on its
  # font path here: without them every dialog font falls back to a wider
  # one and the window's texts no longer fit their places.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
exec wine "$@"
