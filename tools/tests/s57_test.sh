#!/usr/bin/env bash
# End-to-end: `tarnwick s57 dump` prints one JSON line per feature in the
# documented form (with and without the updates), `tarnwick s57 info` gives
# the header, counts and the updates applied or refused, and bad input is
# refused with a message and exit status 1.
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
json() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }
arctic="$data/noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000"

"$tarnwick" s57 dump "$data/s64_2_1_1_power_up/GB5X01SE.000" >"$work/dump.jsonl"
check "dump exit" 0 $?
check "dump lines" 20 "$(wc -l <"$work/dump.jsonl")"
check "feature keys" "agen fidn fids rcid objl acronym prim attributes parts" \
  "$(grep '"SOUNDG"' "$work/dump.jsonl" | json '" ".join(d)')"
check "sounding" "540 20 1 SOUNDG 40000 interior quapos points depths True" \
  "$(grep '"SOUNDG"' "$work/dump.jsonl" | json 'd["agen"], d["rcid"], d["prim"], d["acronym"], d["attributes"]["SCAMIN"], " ".join(d["parts"][0]), len(d["parts"][0]["points"]) == len(d["parts"][0]["depths"])')"
check "sounding point" "[60.96737, -32.551872]" \
  "$(grep '"SOUNDG"' "$work/dump.jsonl" | json 'd["parts"][0]["points"][0]')"

check "with updates" 4934 "$("$tarnwick" s57 dump "$arctic" | wc -l)"
check "without updates" 4893 "$("$tarnwick" s57 dump "$arctic" --no-updates | wc -l)"
check "info" "9 8 8 Overview Office of Coast Survey, USA Mean lower low water 4893" \
  "$("$tarnwick" s57 info "$arctic" | json 'd["edition"], d["update"], len(d["updatesApplied"]), d["intendedUsage"], d["agency"], d["soundingDatum"], d["records"]["features"] - 41')"

# An update that claims another number stops the sequence before it.
mkdir "$work/cell"
cp "$data"/noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.00[0-2] "$work/cell/"
cp "$data/noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.005" "$work/cell/US1AK90M.003"
"$tarnwick" s57 info "$work/cell/US1AK90M.000" >"$work/info.json" 2>"$work/info.err"
check "refused update" "2 US1AK90M.003 Can't apply update 5 to update 2." \
  "$(json 'd["update"], d["updateFailed"]["file"], d["updateFailed"]["reason"]' <"$work/info.json")"
check "refusal told" "Can't apply update 5 to update 2." "$(cat "$work/info.err")"

printf 'this is not an ISO 8211 file at all' >"$work/bad.000"
check "bad cell" "tarnwick s57: $work/bad.000: offset 0: bad leader (record length \"this \")" \
  "$("$tarnwick" s57 dump "$work/bad.000" 2>&1 >/dev/null)"
"$tarnwick" s57 dump "$work/bad.000" >/dev/null 2>&1
check "bad cell exit" 1 $?
check "missing cell" "tarnwick s57: $work/none.000: cannot open: No such file or directory" \
  "$("$tarnwick" s57 info "$work/none.000" 2>&1)"
"$tarnwick" s57 dump "$arctic" --bogus >/dev/null 2>&1
check "unknown option exit" 1 $?
"$tarnwick" s57 frobnicate >/dev/null 2>&1
check "unknown action exit" 1 $?

[ "$failures" -eq 0 ] && echo "s57: all passed"
exit "$failures"
