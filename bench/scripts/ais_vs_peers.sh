#!/usr/bin/env bash
# AIS decoding throughput of `tarnwick ais decode`, gpsd's gpsdecode and libais
# (python3-ais, whose decoders are C++) on the same input: the real logs of
# instruments/tests/data/ais repeated until the input holds about 100,000
# messages. Prints messages per second of each, and the in-process figure of
# the ais_bench benchmark when its binary is given.
#
# usage: bench/scripts/ais_vs_peers.sh TARNWICK [AIS_BENCH]
# needs: gpsdecode (Debian gpsd-clients), /usr/bin/python3 with python3-ais
set -euo pipefail

tarnwick=${1:?usage: $0 TARNWICK [AIS_BENCH]}
ais_bench=${2:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
data="$here/instruments/tests/data/ais"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for f in sample.aivdm nais300-merrimac.log ait250.log; do cat "$data/$f"; done |
  grep -E '^!..VD[MO],' > "$work/one.nmea"
for _ in $(seq 1 150); do cat "$work/one.nmea"; done > "$work/input.nmea"

messages=$("$tarnwick" ais decode "$work/input.nmea" | wc -l)
echo "input: $(wc -l < "$work/input.nmea") sentences, $messages messages decoded by tarnwick"

# Best of three wall-clock runs, in seconds.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end t
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$best" ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$best"
}

report() {
  printf '%-28s %8.3f s  %12.0f messages/s\n' "$1" "$2" "$(echo "$messages / $2" | bc -l)"
}

t_ours=$(best_of_three "$tarnwick" ais decode "$work/input.nmea")
report "tarnwick ais decode (JSON)" "$t_ours"

if command -v gpsdecode > /dev/null; then
  t_gpsd=$(best_of_three sh -c "gpsdecode < '$work/input.nmea'")
  report "gpsdecode (JSON)" "$t_gpsd"
else
  echo "gpsdecode: not installed (apt-get install gpsd-clients)"
fi

cat > "$work/libais.py" <<'PY'
import logging
import sys
import ais.nmea_queue
logging.disable(logging.CRITICAL)  # it logs every message it cannot decode
q = ais.nmea_queue.NmeaQueue()
n = 0
with open(sys.argv[1]) as f:
    for line in f:
        q.put(line)
        while q.qsize():
            q.get()
            n += 1
PY
if /usr/bin/python3 -c 'import ais.nmea_queue' 2> /dev/null; then
  t_libais=$(best_of_three /usr/bin/python3 "$work/libais.py" "$work/input.nmea" 2> /dev/null)
  report "libais NmeaQueue (no output)" "$t_libais"
else
  echo "libais: not installed (apt-get install python3-ais)"
fi

if [[ -n "$ais_bench" ]]; then
  "$ais_bench" --benchmark_filter='BM_AisReassembleAndDispatch|BM_AisLinesToTargets' \
    --benchmark_min_time=1 2> /dev/null | grep -E '^BM_'
fi
