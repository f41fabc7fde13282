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
# crashes ends at once instead of waiting in Wine's debugger. Never any
# menu or desktop entries on this machine: winemenubuilder is off whatever
# the caller asked for.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d};winemenubuilder.exe=d"

# Nothing of Wine's reaches the user's home folder. Wine links a new
# prefix's Desktop, Documents, Downloads and the rest to the home folder
# (a capture saved to the Desktop would land beside the user's own files),
# and keeps its caches there: it gets a home of its own in build/. The X
# server's key stays where it was, and the XDG folders that would lead back
# to the real home are dropped.
export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
export HOME="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine-home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
mkdir -p "$HOME"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # wineboot itself, not Debian's wineboot script: that one always goes
  # through /usr/bin/wine.
  "$VARNEL_WINE" wineboot.exe -i >/dev/null 2>&1 || true
  wineserver -w || true
  # The shell folders become real folders inside the prefix, so that what a
  # program saves there stays with the prefix (and goes with it).
  find "$WINEPREFIX/drive_c/users" -type l 2>/dev/null | while IFS= read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done
  # Wine's own MS Sans Serif and Tahoma (package fonts-wine) are not on its
  # font path here: without them every dialog font falls back to a wider
  # one and the window's texts no longer fit their places.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
exec "$VARNEL_WINE" "$@"
