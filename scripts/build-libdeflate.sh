#!/usr/bin/env bash
# Builds static libdeflate (the PNG encoder's compression) from Debian's own
# source package with one patch of ours, scripts/libdeflate-sync.patch (a
# piece of a stream that more pieces follow: see the patch's head), for
# this machine and the two MinGW-w64 targets. Debian's libdeflate-dev lacks
# the patch and Debian ships no MinGW build. The result is cached in
#   build/third_party/<triplet>/{include/libdeflate.h,lib/libdeflate.a}
# where cmake/libdeflate.cmake finds it; a second run returns at once.
#
# Getting the source needs root on a fresh Debian 12 (scripts/deb-source.sh).
# Usage: scripts/build-libdeflate.sh [triplet...]
#   (default: this machine's, i686-w64-mingw32 and x86_64-w64-mingw32)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third="$root/build/third_party"
source "$root/scripts/deb-source.sh"
patch_file="$root/scripts/libdeflate-sync.patch"
native="$(gcc -dumpmachine)"
triplets=("$@")
[ ${#triplets[@]} -gt 0 ] || triplets=("$native" i686-w64-mingw32 x86_64-w64-mingw32)

# Changes with the build settings below and with the patch, so that a stale
# cache is rebuilt.
recipe="static-O2-1-$(sha256sum "$patch_file" | cut -c1-16)"

cached() { [ -f "$third/$1/lib/libdeflate.a" ] && [ -f "$third/$1/include/libdeflate.h" ] && [ "$(cat "$third/$1/.libdeflate-recipe" 2>/dev/null)" = "$recipe" ]; }

todo=()
for t in "${triplets[@]}"; do
  case "$t" in
    "$native" | i686-w64-mingw32 | x86_64-w64-mingw32) ;;
    *) echo "libdeflate: unknown triplet $t" >&2; exit 2 ;;
  esac
  cached "$t" || todo+=("$t")
done
if [ ${#todo[@]} -eq 0 ]; then
  echo "libdeflate: cached for ${triplets[*]}"
  exit 0
fi

for tool in make patch dpkg-source; do
  command -v "$tool" >/dev/null || { echo "libdeflate: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
done
srcdir="$(deb_source libdeflate "$third/src-libdeflate" libdeflate.h)"

for t in "${todo[@]}"; do
  # The Makefile names the static library after the target: libdeflatestatic.lib for MinGW.
  case "$t" in
    "$native") cc=gcc ar=ar lib=libdeflate.a flags="-O2" ;;
    i686-w64-mingw32 | x86_64-w64-mingw32)
      cc="$t-gcc-posix" ar="$t-ar" lib=libdeflatestatic.lib
      # The vector code's spills: Windows keeps the stack aligned to 16 bytes
      # (x86_64) or 4 (i686) only, while the compiler spills 32-byte AVX
      # registers with aligned moves. The assembler makes every aligned
      # vector move unaligned, and on i686 the stack is realigned too.
      flags="-O2 -Wa,-muse-unaligned-vector-move"
      [ "$t" = x86_64-w64-mingw32 ] || flags+=" -mstackrealign"
      ;;
  esac
  command -v "$cc" >/dev/null || { echo "libdeflate: $cc is missing (run scripts/setup.sh)" >&2; exit 1; }
  bdir="$third/build-libdeflate-$t"
  out="$third/$t"
  log="$third/build-libdeflate-$t.log"
  echo "libdeflate: building $(basename "$srcdir") with libdeflate-sync.patch for $t"
  rm -rf "$bdir" "$out/lib/libdeflate.a" "$out/include/libdeflate.h"
  cp -r "$srcdir" "$bdir"
  patch -d "$bdir" -p1 --quiet <"$patch_file" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
  make -C "$bdir" -j2 CC="$cc" AR="$ar" CFLAGS="$flags" "$lib" >>"$log" 2>&1 || { tail -30 "$log" >&2; exit 1; }
  mkdir -p "$out/lib" "$out/include"
  cp "$bdir/$lib" "$out/lib/libdeflate.a"
  cp "$bdir/libdeflate.h" "$out/include/"
  echo "$recipe" >"$out/.libdeflate-recipe"
  rm -rf "$bdir"
done
echo "libdeflate: ready in $third"
