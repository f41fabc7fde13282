#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over our own sources in a
# native build's compile_commands.json, two files at a time. Prints each
# finding and exits 1 when there is any.
# Usage: scripts/clang-tidy.sh [BUILD_DIR]   (default build/linux)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/linux}"
tidy="${CLANG_TIDY:-clang-tidy}"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "clang-tidy: no $build/compile_commands.json (configure that build first)" >&2
  exit 1
fi
mapfile -t files < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = sys.argv[2]
ours = ("platform", "imaging", "shell", "app", "tests", "tools", "bench")
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.split(os.sep)[0] in ours and rel not in seen:
        seen.add(rel)
        print(path)
PY
)
echo "clang-tidy: ${#files[@]} files"
out="$(printf '%s\0' "${files[@]}" | xargs -0 -n 4 -P 2 "$tidy" -p "$build" --quiet 2>/dev/null)"
findings="$(grep -cE '(warning|error):' <<<"$out")"

# A report as GoogleTest writes one (GTEST_OUTPUT=xml:<dir>/), so that the
# test command's summary counts this check like the other test programs.
report() {  # failures, then the failure's text
  case "${GTEST_OUTPUT:-}" in xml:*) ;; *) return ;; esac
  local dir="${GTEST_OUTPUT#xml:}"
  mkdir -p "$dir"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"1\" failures=\"$1\" name=\"clang_tidy\">"
    echo "  <testsuite name=\"ClangTidy\" tests=\"1\" failures=\"$1\">"
    echo '    <testcase name="OurSourcesAreClean" classname="ClangTidy" status="run" result="completed">'
    [ "$1" -gt 0 ] && echo "      <failure message=\"$2\"/>"
    echo '    </testcase>'
    echo '  </testsuite>'
    echo '</testsuites>'
  } >"$dir/clang_tidy.xml"
}

if [ "$findings" -gt 0 ]; then
  echo "$out"
  echo "clang-tidy: $findings findings"
  report 1 "$findings findings"
  exit 1
fi
report 0
echo "clang-tidy: clean"
