#!/usr/bin/env bash
# GRIB1 decoding against ecCodes (Debian libeccodes-dev, libeccodes-tools) on
# the same large multi-record file, built from the test files: every point's
# position and value in process (our grib_bench BM_GribDecodePoints against
# codes_grib_get_data, as grib_get_data calls it), and end to end
# (`tarnwick grib dump --values` against `grib_get_data`, output discarded).
# Needs a Release build with benchmarks:
#   cmake --preset release && cmake --build --preset release --target tarnwick grib_bench
#   bench/scripts/grib_vs_eccodes.sh build/release [REPEATS]
set -euo pipefail
build=${1:-build/release}
repeats=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../environment/tests/data/grib"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=(era5-single-level-scalar-time.grib fields_with_missing_values.grib multi_param_on_multi_dims.grib
  uv_on_different_levels.grib rotated_ll.grib1 CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib
  regular_latlon_surface.grib1 ncep-seasonal-monthly.grib forecast_monthly_ukmo.grib t_time_series.grib
  wind_20x20.grib fixtures/waves.grb)
for _ in $(seq 1 "$repeats"); do for f in "${files[@]}"; do cat "$data/$f"; done; done >"$work/big.grb"
export TW_GRIB_BENCH_FILE="$work/big.grb"
echo "file: $(du -h "$work/big.grb" | cut -f1), $(grib_count "$work/big.grb") messages"

g++ -O2 -DNDEBUG -std=c++20 "$here/eccodes_get_data_bench.cpp" -o "$work/eccodes_bench" \
  $(pkg-config --cflags --libs eccodes) -lbenchmark -lpthread

ms() {  # the mean real time in ms of a Google Benchmark run: ms PROGRAM FILTER
  "$1" --benchmark_filter="$2" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null | awk -F, '/_mean"?,/ { print $3 }'
}
ours=$(ms "$build/bench/grib_bench" 'BM_GribDecodePoints')
theirs=$(ms "$work/eccodes_bench" 'BM_EcCodesGetData')
printf 'in process: ours %.1f ms, ecCodes %.1f ms: %.1fx\n' "$ours" "$theirs" "$(echo "$theirs / $ours" | bc -l)"

best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$best" ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  echo "$best"
}
t_ours=$(best_of_three "$build/tarnwick" grib dump --values "$work/big.grb")
t_theirs=$(best_of_three grib_get_data "$work/big.grb")
printf 'end to end: tarnwick grib dump --values %.2f s, grib_get_data %.2f s: %.1fx\n' "$t_ours" "$t_theirs" \
  "$(echo "$t_theirs / $t_ours" | bc -l)"
