#!/usr/bin/env bash
# End-to-end: a collision warning acknowledged, a target set aside and taken
# back, and the target table reset, from the CLI against the running demo;
# the page's routes see the same states.
set -u
tarnwick="$1"
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/xdg-data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
json() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }

"$tarnwick" ais ack 230990001 > /dev/null 2> "$work/err" && fail "ack without a running program"
grep -q "no running program answers" "$work/err" || fail "no reason without a program: $(cat "$work/err")"

data="$work/demo-data"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$tarnwick" settings set --data "$data" Network_HttpPort "$port" > /dev/null
"$tarnwick" run --demo --accept-disclaimer --data "$data" > "$work/run.out" 2>&1 &
pid=$!
api="http://127.0.0.1:$port/api"

# The demo's traffic has a target with a new collision warning within a minute.
mmsi=
for _ in $(seq 1 60); do
  sleep 1
  mmsi=$(curl -s -N --max-time 2 "http://127.0.0.1:$port/events" 2>/dev/null |
         sed -n 's/^data: \(.*"ais":.*\)$/\1/p' | head -1 |
         json "next((t['mmsi'] for t in d['ais'] if t.get('state') == 2), '')" 2>/dev/null)
  [ -n "$mmsi" ] && break
done
[ -n "$mmsi" ] || { fail "no target with a collision warning"; exit 1; }

out=$("$tarnwick" ais --data "$data" ack "$mmsi" 2> "$work/err") || fail "ack $mmsi: $(cat "$work/err")"
echo "$out" | grep -q "acknowledged" || fail "ack says: $out"
state=$(curl -s "$api/ais/$mmsi" | json "d['state'], d['stateText']")
[ "$state" = "3 Dangerous (acknowledged)" ] || fail "after ack the state is $state"
"$tarnwick" ais --data "$data" ack 230990099 > /dev/null 2> "$work/err" && fail "ack of an unknown target"
grep -q "No AIS target 230990099" "$work/err" || fail "unknown target: $(cat "$work/err")"
"$tarnwick" ais --data "$data" ack 12x > /dev/null 2>&1; [ $? = 2 ] || fail "a bad MMSI is not a usage error"

"$tarnwick" ais --data "$data" aside "$mmsi" > /dev/null || fail "aside"
[ "$(curl -s "$api/ais" | json "[t['mmsi'] for t in d['aside']]")" = "[$mmsi]" ] || fail "not set aside"
[ "$(curl -s "$api/ais/$mmsi" | json "d['aside']")" = "True" ] || fail "the target page does not say set aside"
"$tarnwick" ais --data "$data" back "$mmsi" > /dev/null || fail "back"
[ "$(curl -s "$api/ais" | json "d['aside']")" = "[]" ] || fail "not taken back"

out=$("$tarnwick" ais --data "$data" reset) || fail "reset"
echo "$out" | grep -q "The AIS table was reset" || fail "reset says: $out"

kill -TERM "$pid"
wait "$pid" || fail "exit status $? after SIGTERM"
pid=
echo "$failures failed"
[ "$failures" -eq 0 ]
