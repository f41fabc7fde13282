# Sourced, not run: picks the Wine loader, the Wine prefix and the Windows
# build that this machine can run, and exports them for every script and
# program started from here on.
#
# Some Linux kernels cannot run 32-bit programs at all (common in containers
# and cloud VMs): Debian's /usr/bin/wine always goes through the 32-bit
# loader and fails there with "Exec format error". Whether this machine can
# run them is decided by trying the 32-bit loader once, never by guessing.
#
# Exports:
#   VARNEL_WINE_ARCH    win32: 32-bit programs run; both Windows builds are
#                       tested and i686 is the main job's build.
#                       win64: they do not (or VARNEL_WINE_ARCH=win64 was
#                       set to force it); only the x86_64 build runs.
#   VARNEL_WINE_WHY     one line saying why VARNEL_WINE_ARCH is what it is
#   VARNEL_WINE         the loader every script calls instead of `wine`
#                       (set it beforehand to try another one)
#   VARNEL_MAIN_PRESET  the preset of the main job's build: win32 or win64
#   WINEPREFIX          build/wineprefix (win32) or build/wineprefix64
#                       (win64), unless set beforehand
#   WINELOADER          (win64) the 64-bit loader, so that programs started
#                       inside Wine come up through it too
varnel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
varnel_wine32="${VARNEL_WINE32_LOADER:-/usr/lib/wine/wine}"
varnel_wine64="${VARNEL_WINE64_LOADER:-/usr/lib/wine/wine64}"

if [ -z "${VARNEL_WINE_WHY:-}" ]; then
  case "${VARNEL_WINE_ARCH:-}" in
    win64)
      VARNEL_WINE_WHY="VARNEL_WINE_ARCH=win64 forces the 64-bit path" ;;
    win32)
      VARNEL_WINE_WHY="VARNEL_WINE_ARCH=win32 forces the 32-bit path" ;;
    "")
      if varnel_try="$("$varnel_wine32" --version 2>&1)"; then
        VARNEL_WINE_ARCH=win32
        VARNEL_WINE_WHY="this machine runs 32-bit programs ($varnel_wine32: ${varnel_try%%$'\n'*})"
      else
        VARNEL_WINE_ARCH=win64
        varnel_try="${varnel_try##*: }"
        VARNEL_WINE_WHY="this machine cannot run 32-bit programs ($varnel_wine32: ${varnel_try:-not found})"
      fi
      unset varnel_try ;;
    *)
      echo "wine-env: VARNEL_WINE_ARCH must be win32 or win64, not '$VARNEL_WINE_ARCH'" >&2
      return 2 ;;
  esac
fi

if [ "$VARNEL_WINE_ARCH" = win32 ]; then
  # Debian's wrapper: the 32-bit loader, which starts 64-bit programs too.
  VARNEL_WINE="${VARNEL_WINE:-/usr/bin/wine}"
  VARNEL_MAIN_PRESET=win32
  WINEPREFIX="${WINEPREFIX:-$varnel_root/build/wineprefix}"
else
  VARNEL_WINE="${VARNEL_WINE:-$varnel_wine64}"
  VARNEL_MAIN_PRESET=win64
  # A prefix of its own: one made by the 32-bit loader is a WoW64 prefix.
  WINEPREFIX="${WINEPREFIX:-$varnel_root/build/wineprefix64}"
  WINELOADER="${WINELOADER:-$VARNEL_WINE}"
  export WINELOADER
fi
export VARNEL_WINE_ARCH VARNEL_WINE_WHY VARNEL_WINE VARNEL_MAIN_PRESET WINEPREFIX

# Builds targets of a Windows preset, with the libraries it links first,
# quietly; run from the checkout's root.
#   varnel_build_windows <win32|win64> <target>...
varnel_build_windows() {
  local preset="$1" triplet=i686-w64-mingw32
  shift
  [ "$preset" = win64 ] && triplet=x86_64-w64-mingw32
  bash scripts/build-libjpeg-turbo-mingw.sh "$triplet" >/dev/null &&
    bash scripts/build-libdeflate.sh "$triplet" >/dev/null &&
    cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" --target "$@" -- -j2 >/dev/null
}
unset varnel_root varnel_wine32 varnel_wine64
