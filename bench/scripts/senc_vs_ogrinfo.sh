#!/usr/bin/env bash
# Time of compiling S-57 cells into SENC files (`tarnwick senc build --force`,
# one cell, one job) against GDAL reading the same cells with their updates
# (`ogrinfo -ro -al -q`, OGR_S57_OPTIONS=UPDATES=APPLY): the median of RUNS
# runs each, as processor time (user + system), which a machine busy with
# other work distorts less than wall time; MEASURE=wall measures wall time
# (ours then includes waiting for the SENC file to reach the disk).
# usage: bench/scripts/senc_vs_ogrinfo.sh [TARNWICK] [RUNS]   (a release build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tarnwick=${1:-$root/build/release/tarnwick}
runs=${2:-11}
data="$root/charts/tests/data/s57"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v ogrinfo >/dev/null || { echo "ogrinfo (gdal-bin) is not installed" >&2; exit 1; }

median_ms() {  # median_ms COMMAND...: median time of RUNS runs, in ms
  local times=() TIMEFORMAT='%3U %3S %3R'
  for _ in $(seq "$runs"); do
    times+=("$({ time "$@" >/dev/null 2>&1; } 2>&1 |
               awk -v wall="${MEASURE:-cpu}" '{ printf "%d", (wall == "wall" ? $3 : $1 + $2) * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" 'NR == int((n + 1) / 2) { print $1 }'
}

printf '%-28s %10s %10s %8s\n' cell "ours ms" "GDAL ms" ratio
for cell in noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000 \
            noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000 \
            s64_2_1_1_power_up/GB4X0000.000; do
  ours=$(median_ms "$tarnwick" senc build --force --jobs 1 --output "$work" "$data/$cell")
  gdal=$(OGR_S57_OPTIONS=UPDATES=APPLY median_ms ogrinfo -ro -al -q "$data/$cell")
  printf '%-28s %10s %10s %8s\n' "$(basename "$cell")" "$ours" "$gdal" \
    "$(awk -v a="$ours" -v b="$gdal" 'BEGIN { printf "1/%.1f", b / a }')"
done
