#!/usr/bin/env bash
# Installs what building and testing Varnel needs on Debian 12, as root,
# and any further packages named as arguments (the benchmarks add theirs).
# Idempotent: when every package is present it only checks and returns.
# The fuzz targets take libFuzzer from clang's runtime (libclang-rt-14-dev,
# only recommended by clang-14, so named here). Xorg with its dummy video
# driver gives the display of two monitors (scripts/with-two-monitors.sh).
set -euo pipefail

need=(cmake ninja-build g++ make pkg-config
      mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine64 wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick
      xserver-xorg-core xserver-xorg-video-dummy
      libturbojpeg0-dev libjpeg62-turbo-dev nasm patch pngcheck libpng-dev
      googletest libgtest-dev libbenchmark-dev
      dpkg-dev python3 python3-pil nsis clang-tidy clang-format xdotool
      clang-14 libclang-rt-14-dev "$@")

# 32-bit Wine needs the i386 architecture (the update below then fetches its lists).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all build and test packages present"
