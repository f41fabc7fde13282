#!/usr/bin/env bash
# Every test: native tests on the simulated platform (plain and under
# AddressSanitizer with UndefinedBehaviorSanitizer), then the contract and
# end-to-end tests built with MinGW-w64 for i686 and x86_64, under Wine.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh || exit 1
# Static libjpeg-turbo for the two MinGW-w64 targets (cached after the first run).
bash scripts/build-libjpeg-turbo-mingw.sh || exit 1

results="$root/build/test-results"
rm -rf "$results"
status=0
for preset in linux linux-asan win32 win64; do
  echo "=== build $preset"
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" -- -j2 >"$root/build/$preset.build.log" 2>&1 || {
    tail -40 "$root/build/$preset.build.log"
    exit 1
  }
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for preset in linux linux-asan; do
  echo "=== test $preset"
  GTEST_OUTPUT="xml:$results/$preset/" ctest --preset "$preset" || status=1
done
for preset in win32 win64; do
  echo "=== test $preset under Wine"
  # Wine reaches the Unix root through drive Z:.
  GTEST_OUTPUT="xml:Z:$results/$preset/" scripts/with-display.sh ctest --preset "$preset" || status=1
done

python3 - "$results" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for f in glob.glob(sys.argv[1] + "/**/*.xml", recursive=True):
    root = ET.parse(f).getroot()
    t, fl, er, sk = (int(root.get(k, 0)) for k in ("tests", "failures", "errors", "disabled"))
    skipped += sk + int(root.get("skipped", 0))
    failed += fl + er
    passed += t - fl - er - int(root.get("skipped", 0))
print(f"{passed} passed, {failed} failed, {skipped} skipped")
PY
exit $status
