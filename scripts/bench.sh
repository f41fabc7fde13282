#!/usr/bin/env bash
# Builds and runs the benchmarks (native build), then prints the figures:
# Resample with every kernel against OpenCV's cv::resize (INTER_LINEAR, one
# thread), with the ratio and its target and each vector kernel's speed-up
# over the portable one; RandomiseBits in megapixels a second; the JPEG
# writer against a bare tjCompress2 into a reused buffer plus file write,
# with the ratio; the JPEG encoder in stripes against one thread, on all
# cores and held on one; and the picture writer (bitmap files) against one
# plain write of the same bytes, with the ratio; and the PNG encoder
# against libpng's default on screenshots that headless Chromium makes here
# (scripts/bench_screenshots.py, into build/bench-screenshots), on one
# thread and on every core, with sizes, speed-ups and their ranges. The same
# figures for the Windows build under Wine: scripts/bench-wine.sh. Installs
# libopencv-dev and chromium first when they are missing (they serve the
# benchmarks only).
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=...).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# OpenCV and Chromium serve the benchmarks only, so set-up adds them here.
bash scripts/setup.sh libopencv-dev chromium
bash scripts/build-libdeflate.sh "$(gcc -dumpmachine)" >/dev/null

cmake --preset linux >/dev/null
cmake --build --preset linux --target varnel_bench -- -j2 >/dev/null
shots="$root/build/bench-screenshots"
/usr/bin/python3 scripts/bench_screenshots.py "$shots"
out="$root/build/linux/bench.json"
VARNEL_BENCH_SCREENSHOTS="$shots" build/linux/varnel_bench --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json "$@"

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

# The PNG encoder against libpng's default, each screenshot on one thread
# and on every core; then the ranges over the screenshots and the targets.
png = {}
for name, b in runs.items():
    if name.startswith("BM_PngVsLibpng/"):
        shot, where = name.removeprefix("BM_PngVsLibpng/").removesuffix("/manual_time").rsplit("/", 1)
        png.setdefault(shot, {})[where] = b
if png:
    threads = int(next(iter(png.values())).get("all_cores", {}).get("threads", 0))
    print()
    print("PNG encoder against libpng's default (zlib level 6, adaptive filters), headless-Chromium screenshots")
    print(f"{'screenshot':22} {'pixels':>10} {'libpng':>10} {'size':>6} {'libpng':>9} "
          f"{'1 thread':>9} {'speed-up':>8} {f'{threads} threads':>10} {'speed-up':>8} {'size':>6}  exact")
    for shot, w in png.items():
        one, all_ = w.get("one_thread"), w.get("all_cores")
        if not one or not all_:
            continue
        exact = "yes" if one["exact"] == 1 and all_["exact"] == 1 else "NO"
        print(f"{shot:22} {one.get('label', ''):>10} {one['libpng_KiB']:7.0f}KiB {one['size']:6.3f} "
              f"{one['libpng_ms']:7.1f}ms {one['encoder_ms']:7.1f}ms {one['speedup']:7.2f}x "
              f"{all_['encoder_ms']:8.1f}ms {all_['speedup']:7.2f}x {all_['size']:6.3f}  {exact}")

    def summary(what, values, target, met):
        values = sorted(values)
        n = len(values)
        median = values[n // 2] if n % 2 else (values[n // 2 - 1] + values[n // 2]) / 2
        print(f"  {what:38} median {median:6.3f}  min-max {values[0]:.3f}-{values[-1]:.3f}  "
              f"target {target:10}  {'met' if met(median, values) else 'MISSED'}")
    rows = [w for w in png.values() if "one_thread" in w and "all_cores" in w]
    print(f"over {len(rows)} screenshots:")
    summary("size against libpng, one thread", [w["one_thread"]["size"] for w in rows], "<=0.99 each",
            lambda m, v: v[-1] <= 0.99)
    summary(f"size against libpng, {threads} threads", [w["all_cores"]["size"] for w in rows], "<=0.99 each",
            lambda m, v: v[-1] <= 0.99)
    summary("speed-up over libpng, one thread", [w["one_thread"]["speedup"] for w in rows], ">=2.5x median",
            lambda m, v: m >= 2.5)
    summary(f"speed-up over libpng, {threads} threads", [w["all_cores"]["speedup"] for w in rows],
            ">=4x median" if threads == 2 else f"4x on 2 cores", lambda m, v: m >= 4)
PY
