#!/usr/bin/env bash
# End-to-end: `tarnwick tides` imports the public-domain harmonics file, finds
# stations near a position, predicts Seattle's highs and lows (checked against
# an independent predictor's times), currents with slack, a subordinate
# station, levels, the station page keys and the day table; the shipped
# database is found by default and the store can point elsewhere; bad input
# is refused.
set -u
tarnwick="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export TZ=America/Los_Angeles
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
lines() {  # lines EXPRESSION: evaluates EXPRESSION over the JSON lines `d` on stdin
  python3 -c "import json,sys; d=[json.loads(l) for l in sys.stdin if l.strip()]; print($1)"
}

tcd=${TW_TCD_FILE:-/usr/share/xtide/harmonics-dwf-20191229-free.tcd}
"$tarnwick" tides import-tcd "$tcd" "$work/h.db" >"$work/import.json"
check "import exit" 0 $?
check "import counts" "1700 401 True True" \
  "$(lines 'd[0]["firstYear"], d[0]["years"], d[0]["referenceStations"] > 2000, d[0]["currentStations"] > 1000' <"$work/import.json")"

db=(--db "$work/h.db")
check "nearest to Seattle" "9447130 tide True tide://noaa_tides/9447130" \
  "$("$tarnwick" tides stations --near 47.6 -122.34 --kind tide --limit 1 "${db[@]}" | lines 'd[0]["id"], d[0]["kind"], d[0]["distance_nm"] < 1, d[0]["url"]')"
check "by name, limited" "2" "$("$tarnwick" tides stations --name boston --limit 2 "${db[@]}" | lines 'len(d)')"

# Seattle, 2024-01-01 UTC: the independent predictor (NOAA constants) gives
# 03:01:10 high 8.59 ft, 09:36:01 low 0.64, 16:57:25 high 12.00, 23:26:10 low 5.92.
"$tarnwick" tides events tide://noaa_tides/9447130 --from 2024-01-01T00:00:00Z --to 2024-01-02T00:00:00Z \
  "${db[@]}" >"$work/seattle.json"
check "Seattle types" "high low high low" "$(lines '" ".join(e["type"] for e in d)' <"$work/seattle.json")"
check "Seattle within 4 min and 0.1 ft" "True" "$(python3 -c '
import json, sys
d = [json.loads(l) for l in sys.stdin]
ref = [("03:01:10", 8.59), ("09:36:01", 0.64), ("16:57:25", 12.00), ("23:26:10", 5.92)]
def s(t):
    h, m, x = map(int, t.split(":"))
    return h * 3600 + m * 60 + x
print(all(abs(s(e["time"][11:19]) - s(r[0])) <= 240 and abs(e["value"] - r[1]) <= 0.1 and e["units"] == "ft"
          for e, r in zip(d, ref)))' <"$work/seattle.json")"

current=$("$tarnwick" tides stations --near 48.13 -122.62 --kind current --limit 1 "${db[@]}" | lines 'd[0]["url"]')
check "current types" "True True" "$("$tarnwick" tides events "$current" --from 2024-06-01 --to 2024-06-02 "${db[@]}" \
  | lines '{"flood", "ebb", "slack"} <= {e["type"] for e in d}, all(e["units"] == "kt" for e in d)')"

sub=$("$tarnwick" tides stations --name "Marrowstone Point" "${db[@]}" | lines '[s["url"] for s in d if not s["reference"]][0]')
"$tarnwick" tides info "$sub" "${db[@]}" >"$work/sub.json"
check "subordinate page" "subordinate True" \
  "$(lines 'd[0]["station-type"], d[0]["reference-station-link"].startswith("tide://noaa_tides/")' <"$work/sub.json")"
check "subordinate events" "True" "$("$tarnwick" tides events "$sub" --from 2024-01-01 --to 2024-01-03 "${db[@]}" | lines 'len(d) >= 6')"

check "level samples" "13 True" "$("$tarnwick" tides level tide://noaa_tides/9447130 --at 2024-01-01T00:00:00Z \
  --step 30 --to 2024-01-01T06:00:00Z "${db[@]}" | lines 'len(d), all(-5 < e["value"] < 15 for e in d)')"
check "outside the years" "None" "$("$tarnwick" tides level tide://noaa_tides/9447130 --at 2200-01-01 "${db[@]}" | lines 'd[0]["value"]')"
check "day table" "<div class='mod-title'>Monday January 1, 2024</div>" \
  "$("$tarnwick" tides table tide://noaa_tides/9447130 --day 2024-01-01 "${db[@]}" | grep -o "<div class='mod-title'>[^<]*</div>")"

# The shipped database by default, and the store pointing elsewhere.
if [ -f "$(dirname "$tarnwick")/share/tarnwick-ecs/tides/harmonics.db" ]; then
  check "shipped database" "9447130" "$("$tarnwick" tides stations --near 47.6 -122.34 --kind tide --limit 1 | lines 'd[0]["id"]')"
fi
cp "$work/h.db" "$work/elsewhere.db"
"$tarnwick" storage put DataProducts noaa_tides.database "$work/elsewhere.db"
"$tarnwick" storage put DataProducts noaa_currents.database "$work/none.db"
check "registry points elsewhere" "1 0" "$("$tarnwick" tides stations --near 47.6 -122.34 --limit 1 | lines 'len(d), sum(s["kind"] == "current" for s in d)')"

"$tarnwick" tides events tide://noaa_tides/0000000 --from 2024-01-01 --to 2024-01-02 "${db[@]}" >/dev/null 2>&1
check "unknown station exit" 1 $?
check "bad URL message" "tarnwick tides: not a station URL: http://x" \
  "$("$tarnwick" tides events http://x --from 2024-01-01 --to 2024-01-02 "${db[@]}" 2>&1)"
"$tarnwick" tides events tide://noaa_tides/9447130 --from 2024-01-02 --to 2024-01-01 "${db[@]}" >/dev/null 2>&1
check "reversed span exit" 1 $?
printf 'not a harmonics file' >"$work/bad.tcd"
"$tarnwick" tides import-tcd "$work/bad.tcd" "$work/bad.db" >/dev/null 2>&1
check "bad TCD exit" 1 $?
check "bad TCD leaves nothing" "no" "$([ -e "$work/bad.db" ] && echo yes || echo no)"
# A truncated file, on which libtcd itself gives up: a message, nothing written.
head -c 100000 "$tcd" >"$work/short.tcd"
"$tarnwick" tides import-tcd "$work/short.tcd" "$work/short.db" >/dev/null 2>"$work/short.err"
check "truncated TCD exit" 1 $?
check "truncated TCD message" "tarnwick tides: libtcd stopped on $work/short.tcd: the file is damaged" "$(tail -n 1 "$work/short.err")"
check "truncated TCD leaves nothing" "no" "$(ls "$work" | grep -q '^short\.db' && echo yes || echo no)"

[ "$failures" -eq 0 ] && echo "tides: all passed"
exit "$failures"
