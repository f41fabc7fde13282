#!/usr/bin/env bash
# Runs a Windows test program under Wine in a fresh prefix of its own, a
# machine on which Varnel was never installed (the installer tests):
#   tests/wine/fresh-prefix.sh PREFIX PROGRAM [ARGS...]
# The prefix is made anew each time; afterwards its Wine server is ended
# and, when the program passed, the prefix removed.
# Such a test makes a folder read-only through its Unix permissions (Wine
# ignores the read-only attribute of folders); run as root, the program
# first loses the right to override them, so that the folder really is
# read-only, as Program Files is for a standard user. Shortcuts made in the
# prefix stay out of this machine's own menus, and a program that crashes
# ends at once instead of waiting in Wine's debugger.
set -uo pipefail
scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
export WINEPREFIX="$1"
shift
rm -rf "$WINEPREFIX"
export WINEDLLOVERRIDES="winemenubuilder.exe,winedbg.exe=d;mscoree,mshtml="
unprivileged=()
if [ "$(id -u)" = 0 ]; then
  if setpriv --bounding-set -dac_override,-dac_read_search -- true 2>/dev/null; then
    unprivileged=(setpriv --bounding-set -dac_override,-dac_read_search --)
  else
    echo "fresh-prefix: cannot drop root's right to write anywhere (setpriv failed): read-only folders stay writable"
  fi
fi
"${unprivileged[@]}" "$scripts/wine-run.sh" "$@"
status=$?
wineserver -k >/dev/null 2>&1
[ "$status" -ne 0 ] || rm -rf "$WINEPREFIX"
exit $status
