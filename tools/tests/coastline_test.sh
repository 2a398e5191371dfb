#!/usr/bin/env bash
# End-to-end: `tarnwick coastline` builds the crude world file from GSHHG,
# describes it, answers land or sea at known places and a box as GeoJSON, and
# refuses bad arguments and files that are not coastline files.
set -u
tarnwick="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
json() {  # json EXPRESSION: evaluates EXPRESSION over the JSON document `d` on stdin
  python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"
}

gshhg=${TW_GSHHG_DIR:-/usr/share/gmt-gshhg}
"$tarnwick" coastline build --gshhg "$gshhg" --out "$work/World" --res c >"$work/build.json"
check "build exit" 0 $?
check "build file" "$work/World/world_c.b.qtc" "$(json 'd[0]["file"]' <"$work/build.json")"
check "info grid" "c 18 9" \
  "$("$tarnwick" coastline info "$work/World/world_c.b.qtc" | json 'd["resolution"], d["columns"], d["rows"]')"

at() { "$tarnwick" coastline at --res c --dir "$work/World" "$1" "$2" | json 'd["kind"]'; }
check "Paris" land "$(at 48.85 2.35)"
check "mid-Atlantic" sea "$(at 40 -40)"
check "Caspian Sea" lake "$(at 42 50.5)"

query() { "$tarnwick" coastline query --res c --dir "$work/World" --bbox "$1"; }
check "France kinds" "coast lake land" \
  "$(query -6,42,10,52 | json '" ".join(sorted({f["properties"]["kind"] for f in d["features"]}))')"
check "across 180 stays east of 170" "True" \
  "$(query 170,60,-170,70 | json 'all(170 <= p[0] <= 190 for f in d["features"] for part in f["geometry"]["coordinates"] for ring in (part if f["geometry"]["type"] == "MultiPolygon" else [part]) for p in ring)')"

"$tarnwick" coastline query --res x --dir "$work/World" --bbox 0,0,1,1 >/dev/null 2>&1
check "bad resolution exit" 1 $?
"$tarnwick" coastline query --res c --dir "$work/World" --bbox 0,0,1 >/dev/null 2>&1
check "bad bbox exit" 1 $?
printf 'not a coastline' >"$work/bad.qtc"
check "bad file message" "tarnwick coastline: $work/bad.qtc: truncated (15 bytes, no complete header)" \
  "$("$tarnwick" coastline info "$work/bad.qtc" 2>&1)"
"$tarnwick" coastline build --gshhg "$work/none" --out "$work/World2" >/dev/null 2>&1
check "missing GSHHG exit" 1 $?

[ "$failures" -eq 0 ] && echo "coastline: all passed"
exit "$failures"
