#!/usr/bin/env bash
# End-to-end: `tarnwick route follow` along a recorded passage of a route of
# three waypoints: arrival at the first, passing the second outside its
# arrival circle, the end of the route, the autopilot sentences with their
# arrival flags, and a passage that cuts the corner and passes the last
# waypoint abeam.
set -u
tarnwick="$1"
data="${TW_SOURCE_DIR:-$(dirname "$0")/../..}/tools/tests/data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

out=$("$tarnwick" route follow "$data/route_follow.nob" "Test passage" \
  --replay "$data/route_follow.nmea" --fast)
check "exit" 0 $?
check "events" '["Arrived at waypoint 001."]
["Passed  waypoint 002."]
["Arrived at waypoint 003.","#Arrived at end of route[[app://stop_navigation|Stop Navigation]]","You have arrived at the end of the route."]' \
  "$(echo "$out" | grep -v '"events":\[\]}$' | sed 's/.*"events"://; s/}$//')"
check "one line a second until the end" 150 "$(echo "$out" | wc -l)"
check "leg to 002" '{"waypoint":"002","dtw":0.495,"btw":90.2,"xte":0.0,"steer":"right","events":["Arrived at waypoint 001."]}' \
  "$(echo "$out" | sed -n 2p)"
check "ends idle" '{"waypoint":null,' "$(echo "$out" | tail -1 | cut -c1-17)"

nmea=$("$tarnwick" route follow "$data/route_follow.nob" "Test passage" \
  --replay "$data/route_follow.nmea" --fast --nmea)
check "sentences" 1 "$(echo "$nmea" | grep -m1 -c '^\$ECBWC,120229,5000\.500,N,00059\.222,W,')"
check "stop forms" '$ECAPB,A,A,,,,V,V,,,,,,,,*79' "$(echo "$nmea" | tail -2 | head -1)"
check "arrival flag of each waypoint reached" '001 002 003' \
  "$(echo "$nmea" | grep '^\$ECRMB,.*,A\*' | cut -d, -f6 | tr '\n' ' ' | sed 's/ $//')"

# The corner at 002 cut 0.26 NM inside the turn, 003 passed 0.18 NM to the west.
out=$("$tarnwick" route follow "$data/route_follow.nob" "Test passage" \
  --replay "$data/route_follow_cut.nmea" --fast)
check "cut corner events" '["Arrived at waypoint 001."]
["Passed  waypoint 002."]
["Passed  waypoint 003.","#Arrived at end of route[[app://stop_navigation|Stop Navigation]]","You have arrived at the end of the route."]' \
  "$(echo "$out" | grep -v '"events":\[\]}$' | sed 's/.*"events"://; s/}$//')"

"$tarnwick" route follow "$data/route_follow.nob" "No such route" \
  --replay "$data/route_follow.nmea" --fast >/dev/null 2>&1
check "unknown route exit" 1 $?
"$tarnwick" route follow "$data/route_follow.nob" "Test passage" >/dev/null 2>&1
check "usage exit" 2 $?
"$tarnwick" route follow "$work/missing.nob" "Test passage" --replay "$data/route_follow.nmea" \
  >/dev/null 2>&1
check "missing file exit" 1 $?

[ "$failures" -eq 0 ] && echo "route: all passed"
exit "$failures"
