#!/usr/bin/env bash
# Compares the batch Mercator projection with PROJ's "merc" on the same points.
# Needs libproj-dev (Debian) and a Release build with benchmarks:
#   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_BENCH=ON
#   cmake --build build/release --target geo_bench
#   bench/scripts/compare_proj_merc.sh build/release
set -euo pipefail
build="${1:-build/release}"
here="$(cd "$(dirname "$0")" && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

g++ -O3 -DNDEBUG -std=c++20 "$here/proj_merc_bench.cpp" -o "$out/proj_merc_bench" -lproj -lbenchmark -lpthread
echo "== PROJ $(pkg-config --modversion proj 2>/dev/null || echo '?') merc"
"$out/proj_merc_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== MercatorForward batch"
"$build/bench/geo_bench" --benchmark_filter='MercatorForwardBatch' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true
