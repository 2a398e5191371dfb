#!/usr/bin/env bash
# End-to-end: `tarnwick senc build` compiles an exchange set and a cell into
# the SENC folder (once; again only when forced or when the SENC is
# damaged), reports each cell as a JSON line and a progress line, and
# `tarnwick senc info` describes the SENC; bad input is refused.
set -u
tarnwick="$1"
data="$TW_SOURCE_DIR/charts/tests/data/s57"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
lines() {  # lines EXPRESSION: EXPRESSION over each JSON line `d` of stdin, space-separated
  python3 -c "import json,sys; print(*[str($1) for d in map(json.loads, sys.stdin)])"
}
senc="$work/cache/tarnwick-ecs/SENC Files"

"$tarnwick" senc build "$data/noaa_US1AK90M_exchange_set" "$data/s64_2_1_1_power_up/GB5X02SE.000" \
  >"$work/build.jsonl" 2>"$work/build.err"
check "build exit" 0 $?
check "statuses" "built built" "$(lines 'd["status"]' <"$work/build.jsonl")"
check "arctic" "9/8/4934/8" \
  "$(grep US1AK90M "$work/build.jsonl" | lines '"%d/%d/%d/%d" % (d["edition"], d["update"], d["features"], len(d["updatesApplied"]))')"
check "progress" "2" "$(grep -c '^\[[12]/2\] .*: built$' "$work/build.err")"
check "default folder" "GB5X02SE.tksenc US1AK90M.tksenc" "$(cd "$senc" && echo *.tksenc)"

check "second run" "up to date up to date" \
  "$("$tarnwick" senc build "$data/noaa_US1AK90M_exchange_set" "$data/s64_2_1_1_power_up/GB5X02SE.000" 2>/dev/null | lines 'd["status"]')"
check "forced" "built" \
  "$("$tarnwick" senc build --force --jobs 1 "$data/s64_2_1_1_power_up/GB5X02SE.000" 2>/dev/null | lines 'd["status"]')"
check "output folder" "built:$work/out/GB5X02SE.tksenc" \
  "$("$tarnwick" senc build --output "$work/out" "$data/s64_2_1_1_power_up/GB5X02SE.000" 2>/dev/null | lines 'd["status"] + ":" + d["senc"]')"

"$tarnwick" senc info "$senc/US1AK90M.tksenc" >"$work/info.json"
check "info" "4 US1AK90M 9 8 4934 US1AK90M.000 Overview 9/18/2012 Vector Chart (1:1,587,870) meters" \
  "$(python3 -c 'import json,sys; d=json.load(sys.stdin); p=d["properties"]; i=d["info"]; print(d["version"], d["cell"], d["edition"], d["update"], d["features"], p["Name"], p["IntendedUsage"], p["IssueDate"], i["Scale"], i["Depth Units"])' <"$work/info.json")"
check "extent" "True" \
  "$(python3 -c 'import json,sys; e=json.load(sys.stdin)["extent"]; print(64 < e["south"] < e["north"] < 75 and -180 <= e["west"] < e["east"] < -130)' <"$work/info.json")"

# A damaged SENC is refused, then rebuilt.
head -c 5000 "$senc/US1AK90M.tksenc" >"$work/cut" && cp "$work/cut" "$senc/US1AK90M.tksenc"
check "damaged info" "tarnwick senc: Bad SENC file $senc/US1AK90M.tksenc (too short)" \
  "$("$tarnwick" senc info "$senc/US1AK90M.tksenc" 2>&1)"
check "damaged rebuilt" "built" \
  "$("$tarnwick" senc build "$data/noaa_US1AK90M_exchange_set" 2>/dev/null | lines 'd["status"]')"

"$tarnwick" senc build --jobs 0 "$data/s64_2_1_1_power_up/GB5X02SE.000" >/dev/null 2>&1
check "bad jobs exit" 1 $?
check "missing input" "tarnwick senc: $work/none is neither a cell file nor a folder" \
  "$("$tarnwick" senc build "$work/none" 2>&1)"
mkdir "$work/empty"
"$tarnwick" senc build "$work/empty" >/dev/null 2>&1
check "no cells exit" 1 $?

[ "$failures" -eq 0 ] && echo "senc: all passed"
exit "$failures"
