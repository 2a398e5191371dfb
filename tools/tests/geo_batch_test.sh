#!/usr/bin/env bash
# End-to-end: `tarnwick geo` single computations and the JSON-lines batch,
# including malformed requests that must not stop the batch.
set -u
tarnwick="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

check "rhumb bearing" "90" "$("$tarnwick" geo bearing 10 179.5 10 -179.5 --sailing mercator)"
check "destination" "12 20" "$("$tarnwick" geo destination 10 20 120 0 | awk '{printf "%.9g %.9g", $1, $2}')"
check "format lat" "00°30.000'S" "$("$tarnwick" geo format_lat -0.5 --style degrees-and-minutes)"
check "format distance" "405 yd" "$("$tarnwick" geo format-distance 0.2 --units nautical-miles-and-yards)"
check "parse length" "0.25 0" "$("$tarnwick" geo parse_length 0.25 nm)"
check "magvar" "1.28" "$("$tarnwick" geo magvar 80 0 --date 2025-01-01 | awk '{printf "%.2f", $1}')"
"$tarnwick" geo parse_latlon "91N 0E" >/dev/null 2>&1; check "bad position exit" 1 $?
"$tarnwick" geo distance 1 2 3 >/dev/null 2>&1; check "missing argument exit" 2 $?
"$tarnwick" geo >/dev/null 2>&1; check "no op exit" 2 $?

cat > "$work/in.jsonl" <<'JSON'
{"op":"distance","from":[0,0],"to":[0,1],"sailing":"mercator"}
{"op":"bearing","from":[10,20],"to":[11,20],"sailing":"great-circle"}
not json
{"op":"xte","start":[0,0],"end":[0,10],"point":[-1,5],"sailing":"great-circle","id":"a"}

{"op":"distance","from":[95,0],"to":[0,1]}
{"op":"parse_latlon","text":"N47 36.5 W122 20.1"}
{"op":"parse_latlon","text":"91N 0E"}
{"op":"to_datum","from_datum":"ED50","pos":[1,2]}
{"op":"format_length","value":-1234.5,"unit":3,"long":false}
{"op":"mercator","pos":[0,190]}
{"op":"frobnicate"}
JSON
"$tarnwick" geo --batch < "$work/in.jsonl" > "$work/out.jsonl"; check "batch exit" 0 $?
check "one answer per request" 11 "$(wc -l < "$work/out.jsonl")"
line() { sed -n "$1p" "$work/out.jsonl"; }
# Numbers of a line rounded to 6 decimals, for values that carry rounding noise.
rounded() { line "$1" | grep -oE -- '-?[0-9.]+(e-?[0-9]+)?' | awk '{printf "%s%.6f", (NR > 1 ? " " : ""), $1}'; }
check "rhumb distance" '60.000000' "$(rounded 1)"
check "due north" '{"deg":0.0}' "$(line 2)"
check "not json" '{"error":"not JSON"}' "$(line 3)"
check "xte right" '60.000000' "$(rounded 4)"
check "id echoed" '"a"}' "$(line 4 | sed 's/.*"id"://')"
check "bad latitude" '{"error":"\"from\" is not a position"}' "$(line 5)"
check "prefix style" '{"pos":[47.608333333333334,-122.335]}' "$(line 6)"
check "no position" '{"error":"not a position"}' "$(line 7)"
check "unknown datum" '{"error":"unknown datum"}' "$(line 8)"
check "grouped yards" '{"text":"-1,234 yd"}' "$(line 9)"
check "folded longitude" '-18924313.434857 0.000000' "$(rounded 10)"
check "unknown op" '{"error":"unknown op \"frobnicate\""}' "$(line 11)"

exit $((failures > 0))
