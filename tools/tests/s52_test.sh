#!/usr/bin/env bash
# End-to-end: `tarnwick s52` builds S52PL.zip from the IHO DAI file and the
# inland look-up tables, lists a colour table, writes a symbol, line style and
# pattern as SVG, sets the standard display in storage.db, prints the
# portrayal of every feature of a cell with the stored settings, and refuses
# bad arguments and archives.
set -u
tarnwick="$1"
src="${TW_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
json() {  # json EXPRESSION over the JSON document `d` on stdin
  python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"
}
lib="$work/S52PL.zip"

"$tarnwick" s52 build --dai "$src/charts/s52/library/PresLib_e4.0.0.dai" --inland "$src/charts/s52/library" \
  --out "$lib" >"$work/build.json"
check "build exit" 0 $?
check "build counts" "533 55 25 1276 4" \
  "$(json 'd["symbols"], d["lineStyles"], d["patterns"], d["lookupEntries"], d["inlandTables"]' <"$work/build.json")"

"$tarnwick" s52 colours --scheme NIGHT --library "$lib" >"$work/night.jsonl"
check "night colours" 67 "$(wc -l <"$work/night.jsonl")"
check "night DEPDW" "#000000" "$(grep '"DEPDW"' "$work/night.jsonl" | json 'd["rgb"]')"
check "day DEPDW" "#e7e7e7" "$("$tarnwick" s52 colours --library "$lib" | grep '"DEPDW"' | json 'd["rgb"]')"

# SVG of a symbol, a line style and a pattern: well-formed XML with the scheme's colours.
for name in BOYLAT13 ACHRES51 DIAMOND1; do
  "$tarnwick" s52 symbol "$name" --scheme DUSK --svg --library "$lib" >"$work/$name.svg"
  check "$name exit" 0 $?
  check "$name is SVG" "svg" \
    "$(python3 -c "import sys,xml.etree.ElementTree as E; print(E.parse(sys.argv[1]).getroot().tag.split('}')[1])" "$work/$name.svg")"
  check "$name colours substituted" 0 "$(grep -c '\${' "$work/$name.svg")"
done
check "symbol description" "conical lateral buoy, green, simplified" \
  "$("$tarnwick" s52 symbol BOYLAT13 --library "$lib" | json 'd["description"]')"

"$tarnwick" s52 standard-display >"$work/standard.jsonl"
check "standard display exit" 0 $?
check "contour labels off" false "$("$tarnwick" settings get S52_ShowContourLabels)"
check "spot soundings off" false "$("$tarnwick" settings get S52_ShowSpotSoundings)"
check "safety contour kept" "10 m" "$("$tarnwick" settings get S52_SafetyContourDepth)"

"$tarnwick" s52 symbol NOSUCH01 --svg --library "$lib" >/dev/null 2>"$work/err"
check "unknown symbol exit" 1 $?
check "unknown symbol message" 'tarnwick s52: no symbol, line style or pattern named "NOSUCH01"' "$(cat "$work/err")"
"$tarnwick" s52 colours --scheme NOON --library "$lib" >/dev/null 2>&1
check "bad scheme exit" 1 $?
printf 'not a zip' >"$work/bad.zip"
"$tarnwick" s52 info --library "$work/bad.zip" >/dev/null 2>&1
check "bad archive exit" 1 $?
printf 'LBID   99nonsense\n' >"$work/bad.dai"
"$tarnwick" s52 build --dai "$work/bad.dai" --out "$work/x.zip" >/dev/null 2>&1
check "bad DAI exit" 1 $?
check "no archive from a bad DAI" no "$([ -e "$work/x.zip" ] && echo yes || echo no)"

cell="$src/charts/tests/data/s57/s64_2_1_1_power_up/GB5X02SE.000"
"$tarnwick" s52 lookup "$cell" --library "$lib" >"$work/lookup.jsonl"
check "lookup exit" 0 $?
check "lookup one line per feature" 12 "$(wc -l <"$work/lookup.jsonl")"
check "lookup keys" "agen fidn fids acronym prim lookup priority category group commands" \
  "$(head -1 "$work/lookup.jsonl" | json '" ".join(d.keys())')"
check "depth area" "PLAIN_BOUNDARIES CS(DEPARE03) 1 DISPLAYBASE 13030 AC DEPMD" \
  "$(grep -m1 '"DEPARE"' "$work/lookup.jsonl" | json '" ".join(map(str, [d["lookup"]["table"], d["lookup"]["instruction"], d["priority"], d["category"], d["group"], d["commands"][0]["op"], d["commands"][0]["colour"]]))')"
# The stored settings decide: two shades make the same area deep water.
"$tarnwick" settings set S52_DepthShades 2 >/dev/null
check "two shades" DEPDW \
  "$("$tarnwick" s52 lookup "$cell" --library "$lib" | grep -m1 '"DEPARE"' | json 'd["commands"][0]["colour"]')"
"$tarnwick" s52 lookup "$work/none.000" --library "$lib" >/dev/null 2>&1
check "missing cell exit" 1 $?

[ "$failures" -eq 0 ] && echo "s52: all passed"
exit "$failures"
