#!/usr/bin/env bash
# End-to-end: settings and storage subcommands on a fresh data folder, and
# `tarnwick run` refusing a second instance and shutting down on SIGTERM.
set -u
tarnwick="$1"
work=$(mktemp -d)
trap 'kill "$first" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

check "default" "0.25 nm" "$("$tarnwick" settings get AIS_DangerCPA)"
check "set" "0.5 nm" "$("$tarnwick" settings set ais_dangercpa '0.5 nm')"
check "persisted" "0.5 nm" "$("$tarnwick" settings get AIS_DangerCPA)"
check "row" '{"DangerCPA":"0.5 nm"}' "$("$tarnwick" storage get options AIS)"
"$tarnwick" settings get No_Such >/dev/null 2>&1; check "unknown setting exit" 1 $?
check "list group" "" "$("$tarnwick" settings list Units | grep -v '^Units_')"
check "unknown keyword refused" 'tarnwick settings: Units_Distance: "leagues" is not one of: kilometers, feet, yards, nautical-miles, nautical-miles-and-feet, nautical-miles-and-yards, statute-miles, statute-miles-and-feet, statute-miles-and-yards; nothing was changed' "$("$tarnwick" settings set Units_Distance leagues 2>&1 >/dev/null)"
"$tarnwick" settings set AIS_DangerTCPA soon >/dev/null 2>&1; check "malformed duration exit" 1 $?
check "refused values change nothing" "nautical-miles-and-yards 5 min" "$("$tarnwick" settings get Units_Distance) $("$tarnwick" settings get AIS_DangerTCPA)"
check "list has sailing" 1 "$("$tarnwick" settings list units | grep -c '^Units_Sailing	choice	mercator	')"

mkdir -p "$work/config/tarnwick-ecs"
echo '{"options":{"AIS_DangerCPA":{"locked":true}}}' > "$work/config/tarnwick-ecs/fleet.json"
"$tarnwick" settings set AIS_DangerCPA '1 nm' >/dev/null 2>&1; check "locked exit" 1 $?
check "locked keeps its default" "0.25 nm" "$("$tarnwick" settings get AIS_DangerCPA)"
rm "$work/config/tarnwick-ecs/fleet.json"

"$tarnwick" settings export-admin "$work/Admin.ini"; check "export exit" 0 $?
check "export header" "[Default Options]" "$(head -1 "$work/Admin.ini" | tr -d '\r')"

"$tarnwick" storage put Search PastSearches "Tarnwick"; check "put" 0 $?
check "get" "Tarnwick" "$("$tarnwick" storage get Search PastSearches)"
check "domains" "$(printf 'Search\noptions')" "$("$tarnwick" storage list)"
"$tarnwick" storage remove Search PastSearches
"$tarnwick" storage get Search PastSearches >/dev/null 2>&1; check "removed" 1 $?

# The program itself: starts, refuses a second instance, stops on SIGTERM.
port=$((20000 + $$ % 20000))
"$tarnwick" settings set Network_HttpPort "$port" >/dev/null
"$tarnwick" run --no-browser --accept-disclaimer >"$work/first.out" 2>&1 &
first=$!
for _ in $(seq 1 100); do grep -q "is running" "$work/first.out" && break; sleep 0.1; done
"$tarnwick" run --no-browser --accept-disclaimer >"$work/second.out" 2>&1; check "second instance exit" 1 $?
grep -q "already running. Its window: http://127.0.0.1:$port/" "$work/second.out" || { echo "FAIL second instance message"; failures=$((failures + 1)); }
option() { curl -s "http://127.0.0.1:$port/options?name=$1" | sed 's/.*"value":\("[^"]*"\).*/\1/'; }
check "options over http" '"0.5 nm"' "$(option AIS_DangerCPA)"
token=$(cat "$work/run/tarnwick-ecs/http-token")
check "malformed length over http" '400 {"error":"AIS_DangerCPA: \"0.9 leagues\" is not a length (a number and a unit: nm, m, ft, yd, km, mi, fm)."}' "$(curl -s -w '%{http_code} ' -o "$work/post.out" -H 'Content-Type: application/json' -H "Origin: http://127.0.0.1:$port" -H "X-CSRF-Token: $token" -d '{"name":"AIS_DangerCPA","value":"0.9 leagues"}' "http://127.0.0.1:$port/options")$(cat "$work/post.out")"
# Changes of the command line go to the running program: in effect at once,
# saved once, and not written over when the program saves.
check "set in the running program" "0.9 nm" "$("$tarnwick" settings set AIS_DangerCPA '0.9 nm')"
check "running value" '"0.9 nm"' "$(option AIS_DangerCPA)"
check "saved at once" '{"DangerCPA":"0.9 nm"}' "$("$tarnwick" storage get options AIS)"
"$tarnwick" storage put options AIS '{}' 2>/dev/null; check "settings domain refused while running" 1 $?
check "other data folder stays local" "1 nm" "$("$tarnwick" settings set --data "$work/other" AIS_DangerCPA '1 nm')"
check "running value kept" '"0.9 nm"' "$(option AIS_DangerCPA)"
kill -TERM "$first"; wait "$first"; check "first instance exit" 0 $?
check "kept after exit" '{"DangerCPA":"0.9 nm"}' "$("$tarnwick" storage get options AIS)"
log="$work/data/tarnwick-ecs/Application.log"
grep -q "Shutdown complete" "$log" || { echo "FAIL no shutdown line"; failures=$((failures + 1)); }

# A runtime folder that other users can write to is refused.
mkdir -p "$work/shared/tarnwick-ecs" && chmod 777 "$work/shared/tarnwick-ecs"
XDG_RUNTIME_DIR="$work/shared" "$tarnwick" run --no-browser --accept-disclaimer >"$work/shared.out" 2>&1
check "open runtime folder refused" 1 $?
grep -q "is open to other users" "$work/shared.out" || { echo "FAIL no runtime folder message"; failures=$((failures + 1)); }

# Without a terminal the disclaimer must be accepted explicitly.
"$tarnwick" run </dev/null >/dev/null 2>&1; check "disclaimer refused exit" 1 $?
grep -q "InitInstance1 exited" "$log" || { echo "FAIL no exited line"; failures=$((failures + 1)); }

echo "$((35 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
