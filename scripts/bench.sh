#!/usr/bin/env bash
# Builds and runs Glimmerdome's benchmarks and prints their ratios: a frame
# against a plain copy and against the old way of composing it, start-up to
# the first frame, and the PNG codec against libpng and libspng.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_BENCH=ON -DGLIMMERDOME_GTK=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target frame_bench decode_bench >/dev/null
echo "== Composing frames"
build-bench/frame_bench --benchmark_min_time=0.5 2>&1 | sed -n '/^One frame/,$p'
echo
echo "== Decoding pictures"
build-bench/decode_bench --benchmark_min_time=0.3 --benchmark_repetitions=3 2>&1 | sed -n '/^Time relative/,$p'
