#!/usr/bin/env bash
# Builds and runs the benchmarks (native build), then prints the figures:
# Resample with every kernel against OpenCV's cv::resize (INTER_LINEAR, one
# thread), with the ratio and its target and each vector kernel's speed-up
# over the portable one; RandomiseBits in megapixels a second; the JPEG
# writer against a bare tjCompress2 into a reused buffer plus file write,
# with the ratio; the JPEG encoder in stripes against one thread, on all
# cores and held on one; and the picture writer (bitmap files) against one
# plain write of the same bytes, with the ratio. The same figures for the
# Windows build under Wine: scripts/bench-wine.sh. Installs libopencv-dev first when it is missing (it serves
# the benchmarks only).
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=...).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# OpenCV serves the benchmarks only, so set-up adds it here.
bash scripts/setup.sh libopencv-dev

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
print("Resample against OpenCV's cv::resize (one thread); every kernel this processor runs, the best one first")
print(f"{'picture':36} {'kernel':9} {'Resample':>10} {'OpenCV':>10} {'ratio':>7} {'target':>7} {'portable/':>10}  exact")
for name, b in runs.items():
    if not name.startswith("Resample/"):
        continue
    case = name.removeprefix("Resample/")
    cv = runs.get("OpenCV/" + case)
    portable = runs.get("Resample-portable/" + case)
    rows = [b] + [r for n, r in runs.items() if n.startswith("Resample-") and n.endswith("/" + case)]
    for r in rows:
        kernel = r.get("label", "?")
        vector = kernel != "portable"
        target = (2.0 if case.endswith("->1920x1080") else 1.5) if r is b else None
        exact = "yes" if r.get("exact") == 1 else "NO"
        ratio = f"{r['real_time'] / cv['real_time']:6.2f}x" if cv else "-"
        verdict = ("met" if r["real_time"] / cv["real_time"] <= target else "MISSED") if cv and target else ""
        speedup = f"{portable['real_time'] / r['real_time']:8.2f}x" if portable and vector else ""
        cvtime = f"{cv['real_time']:8.2f}ms" if cv and r is b else ""
        print(f"{case if r is b else '':36} {kernel:9} {r['real_time']:8.2f}ms {cvtime:>10} {ratio:>7} "
              f"{f'{target:.1f}x' if target else '':>7} {speedup:>10}  {exact}  {verdict}")
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

ratio_table("JPEG writer (one thread), quality 90", "BM_WriterVsBareEncoder/", "bare", 1.05)

# The encoder in stripes on every core against one thread: at least 1.6
# times faster on all cores, at most 1.05 times slower held on one.
print()
print(f"{'JPEG encoder in stripes, quality 90':45} {'stripes':>10} {'1 thread':>10} {'speed-up':>8} {'target':>8}")
for name, b in runs.items():
    if not name.startswith("BM_StripesVsOneThread/"):
        continue
    case = name.removeprefix("BM_StripesVsOneThread/").removesuffix("/manual_time")
    speedup = b["speedup"]
    if case.endswith("one_core"):
        target, met = ">=0.95x", speedup >= 1 / 1.05
    else:
        target, met = ">=1.6x", speedup >= 1.6
    case += f" ({int(b['stripes'])} stripes)"
    print(f"{case:45} {b['stripes_ms']:8.2f}ms {b['one_thread_ms']:8.2f}ms {speedup:7.2f}x {target:>8}  "
          f"{'met' if met else 'MISSED'}")
ratio_table("picture writer, 24-bit bitmap file", "BM_PictureWriterVsPlainWrite/", "plain", 1.1,
            lambda b: f" ({b['file_MiB']:.1f} MiB)")
PY
