#!/usr/bin/env bash
# End-to-end: `tarnwick charts` on the data folder's catalogue (add builds
# before it returns, list gives JSON lines, remove, bad input refused), then
# through a running program: a cell added from the command line is built in
# the background and served over HTTP, and a ship whose GPS (RMC over UDP)
# heads for the Kaneohe Bay reef raises the obstacle alarm, while the
# charted depth under it feeds the depth alert.
set -u
tarnwick="$1"
data="$TW_SOURCE_DIR/charts/tests/data"
work=$(mktemp -d)
program=""
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  XDG_CACHE_HOME="$work/cache" HOME="$work" DISPLAY="" WAYLAND_DISPLAY=""
mkdir -p "$work/run" && chmod 700 "$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
lines() {  # lines EXPRESSION: EXPRESSION over each JSON line `d` of stdin, space-separated
  python3 -c "import json,sys; print(*[str($1) for d in map(json.loads, sys.stdin)])"
}

# 1. Without a running program: the command builds and writes the catalogue itself.
"$tarnwick" charts add "$data/s57/s64_2_1_1_power_up" >"$work/add.json" 2>"$work/add.err"
check "add exit" 0 $?
check "add source" "True 6" "$(lines '"%s %s" % (d["folder"], d["charts"])' <"$work/add.json")"
# Progress lines appear only while a build outlasts half a second; what stderr holds is progress.
if grep -v -q '^\[[0-9]*/[0-9]*\]' "$work/add.err"; then echo "FAIL add progress: $(cat "$work/add.err")"; failures=$((failures + 1)); fi
"$tarnwick" charts list >"$work/list.jsonl"
check "list" "GB4X0000:vector:52000:1:0:ready GB5X01NE:vector:25000:1:0:ready" \
  "$(head -2 "$work/list.jsonl" | lines '":".join(map(str, [d["name"], d["kind"], d["scale"], d["edition"], d["update"], d["status"]]))')"
check "extent" "True" \
  "$(head -1 "$work/list.jsonl" | lines '-33 < d["extent"]["south"] < d["extent"]["north"] < -32 and 60 < d["extent"]["west"] < d["extent"]["east"] < 62')"
check "remove" "GB5X02SE" "$("$tarnwick" charts remove GB5X02SE)"
check "removed" "5" "$("$tarnwick" charts list | wc -l)"
check "missing refused" "tarnwick charts: $work/none does not exist" "$("$tarnwick" charts add "$work/none" 2>&1)"
"$tarnwick" charts remove NOSUCH >/dev/null 2>&1; check "unknown remove exit" 1 $?
"$tarnwick" charts list extra >/dev/null 2>&1; check "usage exit" 2 $?
check "sources" "$data/s57/s64_2_1_1_power_up" "$("$tarnwick" charts sources | lines 'd["path"]')"

# 2. A running program with a GPS on UDP.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
udp=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$tarnwick" settings set Network_HttpPort "$port" >/dev/null
"$tarnwick" ports add "x-nmea0183-udp://*:$udp/" >/dev/null || echo "FAIL cannot add the UDP port"
"$tarnwick" run --no-browser --accept-disclaimer >"$work/run.out" 2>&1 &
program=$!
for _ in $(seq 1 150); do curl -sf "http://127.0.0.1:$port/api/charts/progress" >/dev/null 2>&1 && break; sleep 0.2; done

"$tarnwick" charts add "$data/s57/noaa_US5HA57M_exchange_set" >"$work/padd.json" 2>"$work/padd.err"
check "add through the program" 0 $?
grep -q "builds the charts in the background" "$work/padd.err" || { echo "FAIL no background note: $(cat "$work/padd.err")"; failures=$((failures + 1)); }
status=""
for _ in $(seq 1 300); do
  status=$("$tarnwick" charts list | grep US5HA57M | lines 'd["status"]')
  [ "$status" = "ready" ] && break
  sleep 0.2
done
check "built by the program" "ready" "$status"
check "served" "US5HA57M" "$(curl -s "http://127.0.0.1:$port/api/charts" | python3 -c 'import json,sys; print(*[c["name"] for c in json.load(sys.stdin)["charts"] if c["name"].startswith("US")])')"
check "alarm off while still" "False" "$(curl -s "http://127.0.0.1:$port/api/charts/lookahead" | lines 'd["active"]')"
"$tarnwick" settings set Alerts_DepthBelow true >/dev/null
"$tarnwick" settings set Alerts_DepthBelowValue "20 m" >/dev/null

# Eight knots on 240 degrees, 45 seconds before the 9 m line, one fix a second.
python3 - "$udp" <<'EOF' &
import math, socket, sys, time
port = int(sys.argv[1])
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
def destination(lat, lon, nm, bearing):
    d = nm / 60 * math.pi / 180; b = math.radians(bearing); p1 = math.radians(lat); l1 = math.radians(lon)
    p2 = math.asin(math.sin(p1) * math.cos(d) + math.cos(p1) * math.sin(d) * math.cos(b))
    l2 = l1 + math.atan2(math.sin(b) * math.sin(d) * math.cos(p1), math.cos(d) - math.sin(p1) * math.sin(p2))
    return math.degrees(p2), math.degrees(l2)
def field(value, hemispheres, width):
    a = abs(value); deg = int(a); return "%0*d%07.4f,%s" % (width, deg, (a - deg) * 60, hemispheres[value < 0])
for second in range(25):
    lat, lon = destination(21.50, -157.77, 8 * (400 + second) / 3600, 240)
    t = time.gmtime()
    body = "GPRMC,%s,A,%s,%s,8.0,240.0,%s,,,A" % (time.strftime("%H%M%S", t), field(lat, "NS", 2), field(lon, "EW", 3), time.strftime("%d%m%y", t))
    checksum = 0
    for c in body: checksum ^= ord(c)
    sock.sendto(("$%s*%02X\r\n" % (body, checksum)).encode(), ("127.0.0.1", port))
    time.sleep(1)
EOF
feeder=$!
active=""
for _ in $(seq 1 100); do
  curl -s "http://127.0.0.1:$port/api/charts/lookahead" >"$work/look.json"
  active=$(lines 'd["active"]' <"$work/look.json")
  [ "$active" = "True" ] && break
  sleep 0.2
done
check "alarm raised" "True" "$active"
check "alarm text" "True" "$(lines 'd["text"].startswith("Obstacle ahead: ") and d["danger"]["chart"] == "US5HA57M" and len(d["sweep"]) == 4' <"$work/look.json")"
curl -s -N --max-time 3 "http://127.0.0.1:$port/events" >"$work/events" 2>/dev/null
grep -q 'Obstacle ahead: ' "$work/events" || { echo "FAIL no obstacle notification in the event stream"; failures=$((failures + 1)); }
grep -q 'Alert. Charted Depth is ' "$work/events" || { echo "FAIL no charted depth alert in the event stream"; failures=$((failures + 1)); }
kill "$feeder" 2>/dev/null
kill -TERM "$program"
wait "$program"
check "clean exit" 0 $?
program=""

if [ "$failures" -ne 0 ]; then
  echo "--- program output"; cat "$work/run.out"
  exit 1
fi
echo "charts: all passed"
