#!/usr/bin/env bash
# End-to-end: a running `tarnwick run` on a scratch data folder edited through
# the page's routes (create, rename, delete, undo, route points, a read-only
# layer), then restarted: the same objects are there once, deleted ones still
# restore to their layer. Then a man-overboard device's MOB sentence arrives
# on a UDP port: the MOB mark, navigation to it, the spoken alarm until it is
# acknowledged, and the logbook entry. The command line's `tarnwick navobjects`.
set -u
tarnwick="$1"
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work"
unset DISPLAY WAYLAND_DISPLAY
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
free_port() { python3 -c "import socket; s=socket.socket(socket.AF_INET, socket.$1); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])"; }
# field FILTER: a value out of the JSON on stdin.
field() { python3 -c "import json,sys; d=json.load(sys.stdin); print(json.dumps(eval(sys.argv[1])))" "$1"; }

port=$(free_port SOCK_STREAM)
udp=$(free_port SOCK_DGRAM)
url="http://127.0.0.1:$port"
"$tarnwick" settings set Network_HttpPort "$port" >/dev/null
"$tarnwick" ports add "udp://:$udp" >/dev/null || check "udp port" 0 1

start() {
  : >"$work/run.out"
  "$tarnwick" run --no-browser --accept-disclaimer >"$work/run.out" 2>&1 &
  pid=$!
  for _ in $(seq 1 150); do grep -q "is running" "$work/run.out" && break; sleep 0.1; done
  token=$(cat "$XDG_RUNTIME_DIR/tarnwick-ecs/http-token")
}
stop() { kill -TERM "$pid"; wait "$pid"; check "clean exit" 0 $?; pid=; }
# send METHOD PATH [JSON]: the answer's body; its status in $work/status.
send() {
  curl -g -s -o "$work/answer" -w '%{http_code}' -X "$1" -H "Origin: $url" -H "X-CSRF-Token: $token" \
    -H 'Content-Type: application/json' --data "${3:-{\}}" "$url$2" >"$work/status"
  cat "$work/answer"
}
status() { cat "$work/status"; }
list() { curl -s "$url/api/navobjects"; }

start
buoy=$(send POST /api/navobjects '{"type":"Mark","name":"Buoy","lat":60.1,"lon":23.5}' | field 'd["id"]')
check "create mark" 201 "$(status)"
route=$(send POST /api/navobjects '{"type":"Route","name":"Passage","points":[[60,23],[60.05,23.2],[60.1,23.4]]}' | field 'd["id"]')
check "create route" 201 "$(status)"
send POST "/api/navobjects/${route//\"/}" '{"Name":"Passage east"}' >/dev/null
check "rename" 200 "$(status)"
send POST "/api/navobjects/${route//\"/}/points" '{"action":"insert","index":3,"mark":'"$buoy"'}' >/dev/null
check "buoy appended to the route" 200 "$(status)"
send DELETE "/api/navobjects/${buoy//\"/}" >/dev/null
check "delete" 200 "$(status)"
check "the deleted buoy left the route" 3 "$(list | field 'len(d["routes"][0]["points"])')"
send POST /api/navobjects/undo >/dev/null
check "undo" 200 "$(status)"
check "the buoy is back in the route" 4 "$(list | field 'len(d["routes"][0]["points"])')"
temp=$(send POST /api/navobjects '{"type":"Mark","name":"Temporary","lat":60.2,"lon":23.6}' | field 'd["id"]')
send DELETE "/api/navobjects/${temp//\"/}" >/dev/null
layer=$(send POST /api/navlayers '{"name":"Charted"}' | field 'd["id"]')
send POST /api/navobjects '{"type":"Annotation","lat":60.3,"lon":23.7,"text":"Anchorage","layer":'"$layer"'}' >/dev/null
send POST "/api/navlayers/${layer//\"/}" '{"readOnly":true}' >/dev/null
send POST /api/navobjects '{"type":"Mark","lat":60.3,"lon":23.7,"layer":'"$layer"'}' >/dev/null
check "read-only layer refuses" 409 "$(status)"
before=$(list | field '[sorted(o["id"] for o in d["objects"]), sorted(o["id"] for o in d["deleted"])]')
stop

start
after=$(list)
check "the same objects after a restart" "$before" \
  "$(echo "$after" | field '[sorted(o["id"] for o in d["objects"]), sorted(o["id"] for o in d["deleted"])]')"
check "each once" "$(echo "$after" | field 'len(d["objects"])')" \
  "$(echo "$after" | field 'len(set(o["id"] for o in d["objects"]))')"
check "renamed route kept" '"Passage east"' "$(echo "$after" | field 'd["routes"][0]["name"]')"
check "route points kept" 4 "$(echo "$after" | field 'len(d["routes"][0]["points"])')"
check "layer settings kept" '[true, "Charted"]' \
  "$(echo "$after" | field '[[l["readOnly"], l["name"]] for l in d["layers"] if l["id"] == '"$layer"'][0]')"
send POST "/api/navobjects/${temp//\"/}/restore" >/dev/null
check "restore after a restart" '"MyRoutes.nob"' "$(field 'd["layer"]' <"$work/answer")"

# The command line goes through the same routes.
cli=$("$tarnwick" navobjects add '{"type":"Mark","name":"Cli","lat":60.4,"lon":23.8}' | field 'd["id"]')
check "cli add" 0 $?
"$tarnwick" navobjects set "${cli//\"/}" '{"Name":"Cli renamed"}' >/dev/null
"$tarnwick" navobjects delete "${cli//\"/}" >/dev/null
"$tarnwick" navobjects undo >/dev/null
check "cli list" '"Cli renamed"' "$("$tarnwick" navobjects list | grep -F "$cli" | field 'd["properties"]["Name"]')"
check "cli refusal" "tarnwick navobjects: Unknown property: Bogus" \
  "$("$tarnwick" navobjects set "${cli//\"/}" '{"Bogus":1}' 2>&1 >/dev/null)"

# Man overboard from a device on the UDP port.
python3 - "$udp" <<'EOF'
import socket, sys
body = "CRMOB,1A2B3,A,123000.00,1,240125,123010.00,6007.038,N,02331.000,E,045.0,2.5,230123456,0"
checksum = 0
for c in body:
    checksum ^= ord(c)
socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(
    ("$%s*%02X\r\n" % (body, checksum)).encode(), ("127.0.0.1", int(sys.argv[1])))
EOF
for _ in $(seq 1 50); do [ "$(curl -s "$url/api/mob" | field 'd["active"]')" = true ] && break; sleep 0.1; done
mob=$(curl -s "$url/api/mob")
check "MOB mark at the report" '[true, 60.1173, 23.5167, false]' \
  "$(echo "$mob" | field '[d["active"], round(d["lat"], 4), round(d["lon"], 4), d["acknowledged"]]')"
check "navigating to it" "$(echo "$mob" | field 'd["id"]')" \
  "$(list | field '[m["id"] for m in d["marks"] if m.get("active")][0]')"
events=$(curl -s --max-time 12 "$url/events" | grep -m2 'Man overboard!' | wc -l)
check "the alarm is spoken again until acknowledged" 2 "$events"
send POST /api/mob/acknowledge >/dev/null
check "acknowledge" 200 "$(status)"
check "logbook entry" 1 "$(curl -s "$url/browser/log" | grep -c 'Man overboard!')"
stop

[ "$failures" -eq 0 ] && echo "navobjects rest: all passed"
exit "$failures"
