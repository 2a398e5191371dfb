#!/bin/bash
# End-to-end test of `tarnwick navdata`: a recorded log replayed on the
# simulated clock, and the simulator.
set -u
tarnwick="$1"
data="${TW_SOURCE_DIR}/instruments/tests/data/navdata"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$tarnwick" navdata --replay "$data/humminbird-M37.log" --fast 2>/dev/null) || fail "replay exited $?"
lines=$(printf '%s\n' "$out" | wc -l)
[ "$lines" -ge 20 ] || fail "expected a line per replayed second, got $lines"
first=$(printf '%s\n' "$out" | head -1)
case "$first" in
  '{"fix":{"quality":1,"text":"GPS FIX","lat":44.4352167,"lon":-71.6759933,"source":"GPS on humminbird-M37.log"},"sog":5.2,"cog":77.3,"depth":2.1}') ;;
  *) fail "first line: $first" ;;
esac
printf '%s\n' "$out" | tail -1 | grep -q '"text":"LOST GPS"' && fail "the state after the last fix is printed only while it is current"

# A port that sends only wind beside a GPS port: its wind reaches the own-ship data.
both=$("$tarnwick" navdata --replay "$data/humminbird-M37.log" "$data/plaka-wind.nmea" --fast 2>/dev/null) \
  || fail "two-file replay exited $?"
case "$(printf '%s\n' "$both" | head -1)" in
  *'"wind":{"apparent_speed":13.21,"apparent_angle":339.0,"true_speed":8.14,"true_direction":319.0}}') ;;
  *) fail "wind from a wind-only port: $(printf '%s\n' "$both" | head -1)" ;;
esac

# A port with only our own transponder: its VDO position stands in as the fix.
ais=$("$tarnwick" navdata --replay "$data/own-transponder.nmea" --fast 2>/dev/null) || fail "VDO replay exited $?"
case "$(printf '%s\n' "$ais" | head -1)" in
  '{"fix":{"quality":1,"text":"AIS FIX","lat":53.2,"lon":5.4,"source":"AIS on own-transponder.nmea"},"sog":6.2,"cog":123.4,"heading_true":124.0'*) ;;
  *) fail "AIS own-ship fix: $(printf '%s\n' "$ais" | head -1)" ;;
esac

sim=$("$tarnwick" navdata --simulate "50 0 N 1 0 W" --course 90 --speed 6 --duration 1 2>/dev/null)
case "$sim" in
  *'"quality":8,"text":"SIMULATED"'*'"source":"Simulator"'*) ;;
  *) fail "simulator: $sim" ;;
esac

"$tarnwick" navdata --replay /nonexistent.nmea --fast >/dev/null 2>&1 && fail "a missing file must fail"
"$tarnwick" navdata >/dev/null 2>&1 && fail "no source must fail"
echo PASS
