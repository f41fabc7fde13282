#!/usr/bin/env bash
# Checks that our own C and C++ sources (app, imaging, shell, platform,
# tests, bench, fuzz, tools) are laid out as .clang-format says, with
# clang-format 14, the one scripts/setup.sh installs (another version lays
# some lines out otherwise). Changes nothing: prints each line out of
# format and names its file, and exits 1 when there is any.
# Usage: scripts/clang-format.sh   (CLANG_FORMAT=<program> picks another)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 1
format="${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format)}"

# A report as GoogleTest writes one (GTEST_OUTPUT=xml:<dir>/), so that the
# test command's summary counts this check like the other test programs:
# one passed case when every file is in format, else one failed case named
# after each file out of format (or after what stopped the check).
report() {  # names of the failed cases, none when all is well
  case "${GTEST_OUTPUT:-}" in xml:*) ;; *) return 0 ;; esac
  local dir="${GTEST_OUTPUT#xml:}" name
  mkdir -p "$dir"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"$(($# > 0 ? $# : 1))\" failures=\"$#\" name=\"clang_format\">"
    echo "  <testsuite name=\"ClangFormat\" tests=\"$(($# > 0 ? $# : 1))\" failures=\"$#\">"
    [ $# -gt 0 ] || echo '    <testcase name="OurSourcesAreFormatted" classname="ClangFormat" status="run" result="completed"/>'
    for name in "$@"; do
      name="${name//&/&amp;}"
      name="${name//</&lt;}"
      name="${name//>/&gt;}"
      name="${name//\"/&quot;}"
      echo "    <testcase name=\"$name\" classname=\"ClangFormat\" status=\"run\" result=\"completed\">"
      echo '      <failure message="scripts/clang-format.sh: see its output"/>'
      echo '    </testcase>'
    done
    echo '  </testsuite>'
    echo '</testsuites>'
  } >"$dir/clang_format.xml"
}

if [ -z "$format" ] || ! "$format" --version >/dev/null 2>&1; then
  echo "clang-format: not found (scripts/setup.sh installs it)"
  report "clang-format not found"
  exit 1
fi
version="$("$format" --version)"
case "$version" in
  *"version 14."*) ;;
  *)
    echo "clang-format: $format is not version 14: $version"
    report "clang-format is not version 14"
    exit 1
    ;;
esac

mapfile -d '' files < <(find app imaging shell platform tests bench fuzz tools -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 | sort -z)
out="$(printf '%s\0' "${files[@]}" | xargs -0 -n 16 -P 2 "$format" --dry-run --Werror 2>&1)"
status=$?
# clang-format names the file at the head of each finding: "file:line:col: error: ...".
mapfile -t bad < <(sed -n 's/^\([^ :]*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$out" | sort -u)
if [ "$status" -ne 0 ] || [ ${#bad[@]} -gt 0 ]; then
  echo "$out"
  [ ${#bad[@]} -gt 0 ] || bad=("clang-format failed")
  echo "clang-format: out of format: ${bad[*]}"
  report "${bad[@]}"
  exit 1
fi
report
echo "clang-format: ${#files[@]} files formatted"
