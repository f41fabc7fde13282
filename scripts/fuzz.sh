#!/usr/bin/env bash
# Fuzzes each parser of outside input (fuzz/): the settings file's INI text,
# its encodings, and the clipboard's packed picture.
#
#   scripts/fuzz.sh [seconds] [name...]
#
# Runs each target (all three by default: settings_ini, settings_encoding,
# packed_dib) for `seconds` (default 120), starting from its corpus in
# fuzz/corpus/<name>/ and what earlier runs added in
# build/fuzz-runs/corpus/<name>/, and prints one line per target: runs,
# speed, coverage, and any finding. An input that crashes a target, trips a
# sanitizer or breaks one of its properties is kept in
# build/fuzz-runs/findings/<name>/, with the command that replays it; the
# script then exits non-zero. The full output is in build/fuzz-runs/<name>.log.
#
# Environment:
#   VARNEL_FUZZ_SEED=<n>   a fixed seed, from the repository's corpus alone
#                          (the test command's runs)
#   VARNEL_FUZZ_BIN=<dir>  the targets already built there; otherwise the
#                          preset `fuzz` is set up and built first
#   VARNEL_FUZZ_RUNS=<dir> instead of build/fuzz-runs
#   GTEST_OUTPUT=xml:<dir>/  a report per target, <name>_fuzz.xml, as
#                          GoogleTest writes it, for the test summary
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-120}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds] [name...]" >&2; exit 2 ;;
esac
shift $(($# > 0 ? 1 : 0))
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(settings_ini settings_encoding packed_dib)

bin="${VARNEL_FUZZ_BIN:-}"
if [ -z "$bin" ]; then
  bash scripts/setup.sh || exit 1
  bash scripts/build-libdeflate.sh || exit 1
  bin="$root/build/fuzz"
  cmake --preset fuzz >/dev/null || exit 1
  mkdir -p "$root/build"
  cmake --build --preset fuzz -- -j2 >"$root/build/fuzz.build.log" 2>&1 || {
    tail -40 "$root/build/fuzz.build.log"
    exit 1
  }
fi

runs="${VARNEL_FUZZ_RUNS:-$root/build/fuzz-runs}"
xml_dir=""
case "${GTEST_OUTPUT:-}" in xml:*) xml_dir="${GTEST_OUTPUT#xml:}" ;; esac

xml_escape() {
  local s="$1"
  s="${s//&/&amp;}"
  s="${s//</&lt;}"
  s="${s//>/&gt;}"
  s="${s//\"/&quot;}"
  printf '%s' "$s"
}

write_report() {  # name, seconds taken, failure message (empty: passed)
  [ -n "$xml_dir" ] || return 0
  mkdir -p "$xml_dir"
  local body=""
  [ -z "$3" ] || body="<failure message=\"$(xml_escape "$3")\"/>"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="1" failures="%d">\n<testsuite name="%s_fuzz" tests="1">\n<testcase classname="Fuzz" name="%s" time="%s">%s</testcase>\n</testsuite>\n</testsuites>\n' \
    "$([ -z "$3" ] && echo 0 || echo 1)" "$1" "$1" "$2" "$body" >"$xml_dir/$1_fuzz.xml"
}

failed=0
for name in "${names[@]}"; do
  exe="$bin/${name}_fuzz"
  seeds="$root/fuzz/corpus/$name"
  log="$runs/$name.log"
  findings="$runs/findings/$name"
  mkdir -p "$findings" "$runs/tmp/$name"
  if [ ! -x "$exe" ] || [ ! -d "$seeds" ]; then
    echo "$name: FAILED, no target $exe or no corpus $seeds"
    write_report "$name" 0 "no target or no corpus"
    failed=1
    continue
  fi
  options=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$findings/")
  [ -f "$root/fuzz/$name.dict" ] && options+=(-dict="$root/fuzz/$name.dict")
  if [ -n "${VARNEL_FUZZ_SEED:-}" ]; then
    # A fresh corpus each time: the same seed then takes the same path.
    corpus="$runs/test-corpus/$name"
    rm -rf "$corpus"
    options+=(-seed="$VARNEL_FUZZ_SEED")
  else
    corpus="$runs/corpus/$name"
  fi
  mkdir -p "$corpus"
  start=$(date +%s)
  # The targets' simulated machine lives under TMPDIR.
  TMPDIR="$runs/tmp/$name" "$exe" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  took=$(($(date +%s) - start))
  rm -rf "$runs/tmp/$name"

  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | grep ' cov: ' | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  figures="${took} s, ${executed:-?} runs (${speed:-?}/s), coverage ${cov:-?} edges (${ft:-?} features), corpus ${corp:-?} inputs"

  unit=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
  if [ "$rc" -eq 0 ] && [ -z "$unit" ]; then
    echo "$name: $figures: no finding"
    write_report "$name" "$took" ""
    continue
  fi
  failed=1
  # What went wrong: a broken property, else the sanitizer's or libFuzzer's summary.
  what=$(grep -m1 '^fuzz: property broken' "$log" || grep -m1 '^SUMMARY: ' "$log" ||
         grep -m1 -E '^==[0-9]+== *ERROR' "$log" || echo "the target ended with code $rc")
  if [ -n "$unit" ]; then
    echo "$name: FINDING after $figures: $what"
    echo "  input kept as ${unit#"$root"/}"
    echo "  replay: ${exe#"$root"/} ${unit#"$root"/}"
  else
    echo "$name: FAILED after $figures: $what"
  fi
  echo "  log: ${log#"$root"/}"
  write_report "$name" "$took" "$what${unit:+ (input kept as ${unit#"$root"/})}"
done
exit "$failed"
