#!/usr/bin/env bash
# Builds static libjpeg-turbo (the libjpeg API and the TurboJPEG API, SIMD
# code through nasm) for the two MinGW-w64 targets, from Debian's own source
# package, since Debian ships no MinGW build of it. The result is cached in
#   build/third_party/<triplet>/{include,lib}
# (jpeglib.h, jconfig.h, jmorecfg.h, jerror.h and libjpeg.a; turbojpeg.h
# and libturbojpeg.a)
# where the win32/win64 configure finds it; a second run returns at once.
#
# Getting the source needs root on a fresh Debian 12 (scripts/deb-source.sh).
# Usage: scripts/build-libjpeg-turbo-mingw.sh [triplet...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third="$root/build/third_party"
source "$root/scripts/deb-source.sh"
triplets=("$@")
[ ${#triplets[@]} -gt 0 ] || triplets=(i686-w64-mingw32 x86_64-w64-mingw32)

# Bumped when the build settings below change, so a stale cache is rebuilt.
recipe="static-jpeg-turbojpeg-simd-2"

cached() { [ -f "$third/$1/lib/libturbojpeg.a" ] && [ -f "$third/$1/lib/libjpeg.a" ] && [ "$(cat "$third/$1/.recipe" 2>/dev/null)" = "$recipe" ]; }

todo=()
for t in "${triplets[@]}"; do
  case "$t" in
    i686-w64-mingw32) ;;
    x86_64-w64-mingw32) ;;
    *) echo "libjpeg-turbo: unknown triplet $t" >&2; exit 2 ;;
  esac
  cached "$t" || todo+=("$t")
done
if [ ${#todo[@]} -eq 0 ]; then
  echo "libjpeg-turbo: cached for ${triplets[*]}"
  exit 0
fi

for tool in nasm cmake ninja "${todo[0]}-gcc-posix" dpkg-source; do
  command -v "$tool" >/dev/null || { echo "libjpeg-turbo: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
done

# ---- the source package ----
srcdir="$(deb_source libjpeg-turbo "$third/src" turbojpeg.h)"

# ---- one static build per target ----
for t in "${todo[@]}"; do
  case "$t" in
    i686-w64-mingw32) toolchain="$root/cmake/mingw-i686.cmake" ;;
    x86_64-w64-mingw32) toolchain="$root/cmake/mingw-x86_64.cmake" ;;
  esac
  bdir="$third/build-$t"
  out="$third/$t"
  echo "libjpeg-turbo: building $(basename "$srcdir") for $t"
  # The folder holds other libraries' builds too (scripts/build-libdeflate.sh).
  rm -rf "$bdir" "$out/lib/libjpeg.a" "$out/lib/libturbojpeg.a"
  cmake -S "$srcdir" -B "$bdir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" \
    -DCMAKE_ASM_NASM_COMPILER="$(command -v nasm)" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DWITH_JAVA=OFF >"$third/build-$t.log" 2>&1 || { tail -30 "$third/build-$t.log" >&2; exit 1; }
  cmake --build "$bdir" --target jpeg-static turbojpeg-static -- -j2 >>"$third/build-$t.log" 2>&1 ||
    { tail -30 "$third/build-$t.log" >&2; exit 1; }
  mkdir -p "$out/lib" "$out/include"
  cp "$bdir/libjpeg.a" "$bdir/libturbojpeg.a" "$out/lib/"
  cp "$srcdir/turbojpeg.h" "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$bdir/jconfig.h" \
    "$out/include/"
  echo "$recipe" >"$out/.recipe"
  rm -rf "$bdir"
done
echo "libjpeg-turbo: ready in $third"
