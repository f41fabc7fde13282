#!/usr/bin/env bash
# Benchmarks: the native build (simulated platform), Google Benchmark's
# table on standard output. Extra arguments go to the benchmark program,
# e.g. --benchmark_filter=photo.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh >/dev/null
cmake --preset linux >/dev/null
cmake --build --preset linux --target varnel_bench -- -j2 >/dev/null
exec build/linux/varnel_bench "$@"
