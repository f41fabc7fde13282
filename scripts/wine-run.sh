#!/usr/bin/env bash
# Runs a Windows program under Wine, through the loader and in the private
# prefix that scripts/wine-env.sh picks for this machine, making the prefix
# on first use. Passes the program's exit code through. Needs a display:
# see scripts/with-display.sh. Everything that starts Wine goes through
# here (the test emulator of CTest included).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts in a fresh prefix, and a program that
# crashes ends at once instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # wineboot itself, not Debian's wineboot script: that one always goes
  # through /usr/bin/wine.
  "$VARNEL_WINE" wineboot.exe -i >/dev/null 2>&1 || true
  wineserver -w || true
  # Wine's own MS Sans Serif and Tahoma (package fonts-wine) are not on its
  # font path here: without them every dialog font falls back to a wider
  # one and the window's texts no longer fit their places.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
exec "$VARNEL_WINE" "$@"
