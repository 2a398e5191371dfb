#!/bin/bash
# Sentences per second: our DecodeNMEA (Google Benchmark, Release build) and
# gpsd's gpsdecode (Debian gpsd-clients) over the same mixed real log.
# usage: bench/scripts/nmea_vs_gpsdecode.sh [BUILD_DIR]   (default build/release)
set -eu
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
log="$root/bench/data/nmea-mixed.log"
repeat=20

command -v gpsdecode >/dev/null || { echo "gpsdecode not found (apt-get install gpsd-clients)" >&2; exit 1; }
[ -x "$build/bench/nmea_bench" ] || { echo "build $build/bench/nmea_bench first (Release, -DTW_BUILD_BENCH=ON)" >&2; exit 1; }

lines=$(wc -l < "$log")
input=$(mktemp)
trap 'rm -f "$input"' EXIT
for _ in $(seq $repeat); do cat "$log"; done > "$input"

# gpsdecode: best of three runs over the log repeated $repeat times, in
# processor time (user + system) like the benchmark's rate, so that a busy
# machine does not skew the comparison.
best=""
for _ in 1 2 3; do
  t=$( { /usr/bin/time -f "%U %S" gpsdecode < "$input" > /dev/null; } 2>&1 | awk '{print $1 + $2}')
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
done
peer=$(echo "$lines * $repeat / $best" | bc -l)

ours=$("$build/bench/nmea_bench" --benchmark_filter=BM_DecodeNmea --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true --benchmark_format=json |
       python3 -c 'import json,sys; d=json.load(sys.stdin); print(max(b["items_per_second"] for b in d["benchmarks"] if b.get("aggregate_name")=="mean"))')

printf 'log: %s (%d sentences)\n' "$log" "$lines"
printf 'DecodeNMEA:  %12.0f sentences/s\n' "$ours"
printf 'gpsdecode:   %12.0f sentences/s (gpsd-clients %s)\n' "$peer" "$(gpsdecode -V 2>&1 | awk '{print $NF}')"
printf 'ratio:       %12.1f x\n' "$(echo "$ours / $peer" | bc -l)"
