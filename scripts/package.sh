#!/usr/bin/env bash
# Builds what users download, into dist/:
#   Varnel-<version>-win32.zip, Varnel-<version>-win64.zip
#       Varnel.exe (Release, stripped), Readme.txt, LICENSE and
#       THIRD-PARTY-NOTICES.txt, and nothing else
#   Varnel-<version>-setup.exe
#       the installer (installer/varnel.nsi), when makensis (Debian's nsis)
#       is present
#   SHA256SUMS
# and, for the tests only, build/package/Varnel-<version>-setup-amd64.exe:
# the same installer built as a 64-bit program, which runs where 32-bit
# programs cannot.
#
# The same sources give the same bytes: the exes' header time stamps, the
# zips' entry times and the installed files' times are SOURCE_DATE_EPOCH
# (the last commit's time unless it is set), and the compiler records
# source paths relative to the source folder (see the package presets).
# The version is CMake's project(VERSION ...).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null)" ||
    { echo "package: not a git checkout: set SOURCE_DATE_EPOCH to the sources' time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

bash scripts/build-libjpeg-turbo-mingw.sh >/dev/null
bash scripts/build-libdeflate.sh i686-w64-mingw32 x86_64-w64-mingw32 >/dev/null
for arch in win32 win64; do
  cmake --preset "package-$arch" >/dev/null
  cmake --build --preset "package-$arch" -- -j2 >"build/package-$arch.build.log" 2>&1 ||
    { tail -40 "build/package-$arch.build.log" >&2; exit 1; }
done
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package-win64/CMakeCache.txt)"
[ -n "$version" ] || { echo "package: no project version in build/package-win64" >&2; exit 1; }

stage="$root/build/package/stage"
rm -rf build/package dist
mkdir -p "$stage/win32" "$stage/win64" dist
for arch in win32 win64; do
  case "$arch" in
    win32) triplet=i686-w64-mingw32 ;;
    win64) triplet=x86_64-w64-mingw32 ;;
  esac
  # strip writes SOURCE_DATE_EPOCH into the header, as the linker did.
  "$triplet-strip" -o "$stage/$arch/Varnel.exe" "build/package-$arch/Varnel.exe"
done

python3 - "$stage" "$SOURCE_DATE_EPOCH" "$version" <<'PY'
import os, sys, time, zipfile
stage, epoch, version = sys.argv[1], int(sys.argv[2]), sys.argv[3]
docs = ["Readme.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"]
for arch in ("win32", "win64"):
    for name in docs:
        # Windows line ends, and a byte-order mark where the text is not
        # plain ASCII, so that Notepad shows it right.
        text = open(name, encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
        data = text.encode("utf-8")
        if not text.isascii():
            data = b"\xef\xbb\xbf" + data
        with open(os.path.join(stage, arch, name), "wb") as f:
            f.write(data)
    for name in os.listdir(os.path.join(stage, arch)):
        os.utime(os.path.join(stage, arch, name), (epoch, epoch))
    # Entries in a fixed order, with fixed times and attributes.
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(f"dist/Varnel-{version}-{arch}.zip", "w") as z:
        for name in ["Varnel.exe"] + docs:
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix owner or mode
            info.external_attr = 0x20  # archive
            with open(os.path.join(stage, arch, name), "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
PY

if command -v makensis >/dev/null; then
  for target in x86 amd64; do
    if [ "$target" = x86 ]; then
      out="$root/dist/Varnel-$version-setup.exe" define=""
    else
      out="$root/build/package/Varnel-$version-setup-amd64.exe" define="-DAMD64"
    fi
    makensis -V2 -INPUTCHARSET UTF8 $define -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out" \
      installer/varnel.nsi >build/package/makensis-$target.log 2>&1 ||
      { cat build/package/makensis-$target.log >&2; exit 1; }
  done
else
  echo "package: makensis not found (Debian package nsis): no installer built"
fi

(cd dist && sha256sum -- Varnel-* >SHA256SUMS)
echo "package: Varnel $version in dist/ (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
(cd dist && ls -l --time-style=+ -- * | awk '{printf "  %-32s %9d bytes\n", $NF, $5}')
