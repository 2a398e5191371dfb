#!/usr/bin/env bash
# End-to-end speed of `tarnwick nmea decode` (JSON lines out) against gpsd's
# gpsdecode (Debian gpsd-clients, JSON out) on the same input: real logs
# concatenated and repeated to LINES lines (580,000 by default). Prints the
# best of three runs of each, in processor time (user + system, what a busy
# machine does not inflate) and in wall-clock time, and the ratios.
#
# usage: bench/scripts/nmea_decode_vs_gpsdecode.sh TARNWICK [LOG...]
#   LOG...  real NMEA logs (default: the regression logs of the decoder tests
#           and bench/data/nmea-mixed.log)
#   LINES   environment: lines of input (default 580000)
set -euo pipefail

tarnwick=${1:?usage: $0 TARNWICK [LOG...]}
shift
here=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -eq 0 ]]; then
  set -- "$here"/instruments/tests/data/nmea/*.log "$here/bench/data/nmea-mixed.log"
fi
lines=${LINES:-580000}
command -v gpsdecode > /dev/null || { echo "gpsdecode not found (apt-get install gpsd-clients)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$@" > "$work/one.nmea"
one=$(wc -l < "$work/one.nmea")
[[ "$one" -gt 0 ]] || { echo "the logs hold no lines" >&2; exit 1; }
for _ in $(seq 1 $(( (lines + one - 1) / one ))); do cat "$work/one.nmea"; done > "$work/repeated.nmea"
head -n "$lines" "$work/repeated.nmea" > "$work/input.nmea"

decoded=$("$tarnwick" nmea decode "$work/input.nmea" | wc -l)
[[ "$decoded" -eq "$lines" ]] || { echo "tarnwick wrote $decoded lines for $lines" >&2; exit 1; }

# Best of three runs: "cpu wall" in seconds.
best_of_three() {
  local best_cpu="" best_wall=""
  for _ in 1 2 3; do
    local times
    times=$( { /usr/bin/time -f "%U %S %e" "$@" > /dev/null; } 2>&1 | tail -1)
    local cpu wall
    cpu=$(echo "$times" | awk '{print $1 + $2}')
    wall=$(echo "$times" | awk '{print $3}')
    if [[ -z "$best_cpu" ]] || (( $(echo "$cpu < $best_cpu" | bc -l) )); then best_cpu=$cpu; fi
    if [[ -z "$best_wall" ]] || (( $(echo "$wall < $best_wall" | bc -l) )); then best_wall=$wall; fi
  done
  echo "$best_cpu $best_wall"
}

read -r ours_cpu ours_wall < <(best_of_three "$tarnwick" nmea decode "$work/input.nmea")
read -r peer_cpu peer_wall < <(best_of_three sh -c "gpsdecode < '$work/input.nmea'")

printf 'input: %d lines from %d log(s)\n' "$lines" "$#"
printf '%-22s %7.2f s cpu %7.2f s wall %10.0f lines/s (cpu)\n' "tarnwick nmea decode" \
  "$ours_cpu" "$ours_wall" "$(echo "$lines / $ours_cpu" | bc -l)"
printf '%-22s %7.2f s cpu %7.2f s wall %10.0f lines/s (cpu)  (gpsd-clients %s)\n' "gpsdecode" \
  "$peer_cpu" "$peer_wall" "$(echo "$lines / $peer_cpu" | bc -l)" \
  "$(gpsdecode -V 2>&1 | awk '{print $NF}')"
printf 'ratio: %.1fx (cpu), %.1fx (wall)\n' "$(echo "$peer_cpu / $ours_cpu" | bc -l)" \
  "$(echo "$peer_wall / $ours_wall" | bc -l)"
