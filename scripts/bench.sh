#!/usr/bin/env bash
# Builds and runs the benchmarks (native build), then prints the figures:
# Resample against OpenCV's cv::resize (INTER_LINEAR, one thread) with the
# ratio and its target, RandomiseBits in megapixels a second, and the JPEG
# writer against a bare tjCompress2 plus file write, with the ratio, and the
# picture writer (bitmap files) against one plain write of the same bytes,
# with the ratio. Installs libopencv-dev first when it is missing (it serves
# the benchmarks only).
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=...).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

for p in libopencv-dev libbenchmark-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "bench: installing $p"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "$p" >/dev/null
  fi
done

cmake --preset linux >/dev/null
cmake --build --preset linux --target varnel_bench -- -j2 >/dev/null
out="$root/build/linux/bench.json"
build/linux/varnel_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json "$@"

python3 - "$out" <<'PY'
import json, sys
runs = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name = b["run_name"].removesuffix("/real_time")
    runs[name] = b
print()
print(f"{'picture':45} {'Resample':>10} {'OpenCV':>10} {'ratio':>7} {'target':>7}  exact")
for name, b in runs.items():
    if not name.startswith("Resample/"):
        continue
    case = name.removeprefix("Resample/")
    ours = b["real_time"]
    cv = runs.get("OpenCV/" + case)
    target = 2.0 if case.endswith("->1920x1080") else 1.5
    exact = "yes" if b.get("exact") == 1 else "NO"
    if cv:
        ratio = ours / cv["real_time"]
        verdict = "met" if ratio <= target else "MISSED"
        print(f"{case:45} {ours:8.2f}ms {cv['real_time']:8.2f}ms {ratio:6.2f}x {target:5.1f}x  {exact}  {verdict}")
    else:
        print(f"{case:45} {ours:8.2f}ms {'-':>10} {'-':>7} {target:5.1f}x  {exact}")
for name, b in runs.items():
    if name.startswith("Resample-portable/"):
        case = name.removeprefix("Resample-portable/")
        cv = runs.get("OpenCV/" + case)
        ratio = f"{b['real_time'] / cv['real_time']:6.2f}x" if cv else "-"
        exact = "yes" if b.get("exact") == 1 else "NO"
        print(f"{'portable kernel: ' + case:45} {b['real_time']:8.2f}ms {'':>10} {ratio:>7} {'':>7}  {exact}")
for name, b in runs.items():
    if name.startswith("BM_RandomiseBits/"):
        print(f"{'RandomiseBits ' + name.split('/', 1)[1]:45} {b['real_time']:8.2f}ms  {b['Mpx/s']:8.1f} Mpx/s")

# A writer timed against its baseline in the same benchmark: the ratio of
# the two medians and whether it meets its target.
def ratio_table(title, prefix, baseline, target, size=None):
    print()
    print(f"{title:45} {'writer':>10} {baseline:>10} {'ratio':>7} {'target':>7}")
    for name, b in runs.items():
        if not name.startswith(prefix):
            continue
        case = name.removeprefix(prefix).removesuffix("/manual_time")
        if size:
            case += size(b)
        verdict = "met" if b["ratio"] <= target else "MISSED"
        print(f"{case:45} {b['writer_ms']:8.2f}ms {b[baseline + '_ms']:8.2f}ms {b['ratio']:6.3f}x {target:5.2f}x  {verdict}")

ratio_table("JPEG writer, quality 90", "BM_WriterVsBareEncoder/", "bare", 1.05)
ratio_table("picture writer, 24-bit bitmap file", "BM_PictureWriterVsPlainWrite/", "plain", 1.1,
            lambda b: f" ({b['file_MiB']:.1f} MiB)")
PY
