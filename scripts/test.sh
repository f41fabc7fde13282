#!/usr/bin/env bash
# Every test: native tests on the simulated platform (plain and under
# AddressSanitizer with UndefinedBehaviorSanitizer) and of the downloads
# that scripts/package.sh makes, the sources' layout (scripts/clang-format.sh)
# and clang-tidy's checks, each fuzz target for 20 s from a fixed
# seed (preset fuzz, scripts/fuzz.sh), then the contract and end-to-end tests
# built with MinGW-w64 for i686 and x86_64, under Wine, the installer's
# among them.
# Where this machine cannot run 32-bit programs, the i686 build is still
# made but its tests are reported as skipped (see scripts/wine-env.sh).
# Ends with one line, "N passed, N failed, N skipped"; a test program that
# does not start, crashes, times out or leaves no result counts as failed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh || exit 1
# Static libjpeg-turbo for the two MinGW-w64 targets, and libdeflate for
# them and this machine (cached after the first run).
bash scripts/build-libjpeg-turbo-mingw.sh || exit 1
bash scripts/build-libdeflate.sh || exit 1
source scripts/wine-env.sh || exit 1

results="$root/build/test-results"
rm -rf "$results"
mkdir -p "$results"
for preset in linux linux-asan fuzz win32 win64; do
  echo "=== build $preset"
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" -- -j2 >"$root/build/$preset.build.log" 2>&1 || {
    tail -40 "$root/build/$preset.build.log"
    exit 1
  }
done

# The downloads, which the installer tests install (dist/, build/package/).
echo "=== package"
bash scripts/package.sh >"$root/build/package.log" 2>&1 || {
  tail -40 "$root/build/package.log"
  exit 1
}
grep '^package: makensis' "$root/build/package.log" || true

# Each test program gets this long before CTest stops it (and it counts as failed).
timeout=900
run_ctest() {  # preset, then the command that runs ctest
  local preset="$1"
  shift
  mkdir -p "$results/$preset"
  ctest --preset "$preset" -N | sed -n 's/^ *Test *#[0-9]*: //p' >"$results/$preset/programs"
  GTEST_OUTPUT="xml:$GTEST_DIR/" "$@" ctest --preset "$preset" --timeout "$timeout" \
    --output-junit "$results/$preset/ctest.junit.xml"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for preset in linux linux-asan fuzz; do
  echo "=== test $preset"
  GTEST_DIR="$results/$preset" run_ctest "$preset" env
done
wine_presets=(win64)
if [ "$VARNEL_WINE_ARCH" = win32 ]; then
  wine_presets=(win32 win64)
else
  mkdir -p "$results/win32"
  ctest --preset win32 -N | sed -n 's/^ *Test *#[0-9]*: //p' >"$results/win32/programs"
  echo "$VARNEL_WINE_WHY" >"$results/win32/skipped"
  echo "=== test win32 under Wine: skipped, $VARNEL_WINE_WHY"
  echo "=== the x86 installer dist/Varnel-*-setup.exe: not run, $VARNEL_WINE_WHY;" \
    "its script runs end to end built for amd64 (win64 installer_tests)"
fi
for preset in "${wine_presets[@]}"; do
  echo "=== test $preset under Wine ($VARNEL_WINE)"
  # Wine reaches the Unix root through drive Z:.
  GTEST_DIR="Z:$results/$preset" run_ctest "$preset" scripts/with-display.sh
done

python3 scripts/test-summary.py "$results" linux linux-asan fuzz win32 win64
