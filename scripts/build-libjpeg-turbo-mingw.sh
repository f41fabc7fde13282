#!/usr/bin/env bash
# Builds static libjpeg-turbo (the libjpeg API and the TurboJPEG API, SIMD
# code through nasm) for the two MinGW-w64 targets, from Debian's own source
# package, since Debian ships no MinGW build of it. The result is cached in
#   build/third_party/<triplet>/{include,lib}
# (jpeglib.h, jconfig.h, jmorecfg.h, jerror.h and libjpeg.a; turbojpeg.h
# and libturbojpeg.a)
# where the win32/win64 configure finds it; a second run returns at once.
#
# Getting the source needs root on a fresh Debian 12: a deb-src twin of the
# machine's apt source entries is added, then `apt-get source` runs.
# Usage: scripts/build-libjpeg-turbo-mingw.sh [triplet...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third="$root/build/third_party"
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
add_deb_src_twin() {
  # A deb-src stanza for every deb stanza of the machine's deb822 source
  # files, and a deb-src line for every one-line deb entry: same archives,
  # suites, components and keys.
  local twin=/etc/apt/sources.list.d/varnel-deb-src.sources
  local twin_list=/etc/apt/sources.list.d/varnel-deb-src.list
  local f
  local stanzas="" lines=""
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$twin" ] || continue
    stanzas+="$(awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = ""
        for (i = 1; i <= NF; i++) if ($i ~ /^Types:/) types = $i
        if (types !~ /[[:space:]]deb([[:space:]]|$)/ || types ~ /deb-src/) next
        for (i = 1; i <= NF; i++) print ($i ~ /^Types:/ ? "Types: deb-src" : $i)
        print ""
      }' "$f")"$'\n\n'
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$f" != "$twin_list" ] || continue
    lines+="$(sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f")"$'\n'
  done
  stanzas="$(printf '%s' "$stanzas" | sed '/./,$!d')"
  lines="$(printf '%s' "$lines" | sed '/^$/d')"
  [ -z "$stanzas" ] || printf '%s\n' "$stanzas" >"$twin"
  [ -z "$lines" ] || printf '%s\n' "$lines" >"$twin_list"
  if [ -z "$stanzas" ] && [ -z "$lines" ]; then
    echo "libjpeg-turbo: no apt source entry to derive a deb-src entry from" >&2
    exit 1
  fi
}

src_parent="$third/src"
mkdir -p "$src_parent"
srcdir="$(find "$src_parent" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -1)"
if [ -z "$srcdir" ] || [ ! -f "$srcdir/turbojpeg.h" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "libjpeg-turbo: fetching the source package needs root" >&2
    exit 1
  fi
  if ! apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package: libjpeg-turbo'; then
    add_deb_src_twin
    apt-get update -qq
  fi
  rm -rf "${src_parent:?}"/*
  (cd "$src_parent" && apt-get source -qq libjpeg-turbo >/dev/null)
  srcdir="$(find "$src_parent" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -1)"
  [ -n "$srcdir" ] && [ -f "$srcdir/turbojpeg.h" ] || { echo "libjpeg-turbo: no source after apt-get source" >&2; exit 1; }
fi

# ---- one static build per target ----
for t in "${todo[@]}"; do
  case "$t" in
    i686-w64-mingw32) toolchain="$root/cmake/mingw-i686.cmake" ;;
    x86_64-w64-mingw32) toolchain="$root/cmake/mingw-x86_64.cmake" ;;
  esac
  bdir="$third/build-$t"
  out="$third/$t"
  echo "libjpeg-turbo: building $(basename "$srcdir") for $t"
  rm -rf "$bdir" "$out"
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
