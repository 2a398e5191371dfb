#!/usr/bin/env bash
# End-to-end: what a web page of another site, a page behind a rebound host
# name, a hostile or careless client can send to a running `tarnwick run`, and
# that all of it is refused with nothing changed, while the program's own
# page (its Origin, JSON and its token) still changes what it may.
set -u
tarnwick="$1"
work=$(mktemp -d)
pid=
slow=
streams=()
cleanup() {
  [ -n "$slow" ] && kill "$slow" 2>/dev/null
  for s in "${streams[@]}"; do kill "$s" 2>/dev/null; done
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work"
unset DISPLAY WAYLAND_DISPLAY
failures=0
checks=0
check() {  # check NAME EXPECTED ACTUAL
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$tarnwick" settings set Network_HttpPort "$port" >/dev/null
"$tarnwick" run --no-browser --accept-disclaimer >"$work/run.out" 2>&1 &
pid=$!
for _ in $(seq 1 300); do grep -q "is running" "$work/run.out" && break; sleep 0.1; done
url="http://127.0.0.1:$port"
own="Origin: $url"
token=$(cat "$XDG_RUNTIME_DIR/tarnwick-ecs/http-token")
check "token file is private" "600" "$(stat -c %a "$XDG_RUNTIME_DIR/tarnwick-ecs/http-token")"
check "page carries the token" 1 "$(curl -s "$url/" | grep -c "<meta name=\"csrf-token\" content=\"$token\"")"

status() { curl -s -o /dev/null -w '%{http_code}' "$@"; }
value() { curl -s "$url/options?name=$1" | sed 's/.*"value":"\([^"]*\)".*/\1/'; }
json='{"name":"AIS_DangerCPA","value":"0"}'

# Cross-site: forms, plain text, foreign or missing Origin, no token.
check "form post from another site" 403 "$(status -H 'Origin: http://evil.example' -d 'name=AIS_DangerCPA&value=0' "$url/options")"
check "text/plain post" 403 "$(status -H 'Origin: http://evil.example' -H 'Content-Type: text/plain' -d "$json" "$url/options")"
check "foreign Origin with the token" 403 "$(status -H 'Origin: http://evil.example' -H "X-CSRF-Token: $token" -H 'Content-Type: application/json' -d "$json" "$url/options")"
check "own Origin without the token" 403 "$(status -H "$own" -H 'Content-Type: application/json' -d "$json" "$url/options")"
check "cross-site without Origin" 403 "$(status -H 'Sec-Fetch-Site: cross-site' -H "X-CSRF-Token: $token" -H 'Content-Type: application/json' -d "$json" "$url/options")"
check "Origin null" 403 "$(status -H 'Origin: null' -H "X-CSRF-Token: $token" -H 'Content-Type: application/json' -d "$json" "$url/options")"
check "port on a start-up file from another site" 403 "$(status -H 'Origin: http://evil.example' -H 'Content-Type: application/json' -d "{\"address\":\"$HOME/.bashrc\",\"roles\":[\"repeater\"]}" "$url/api/ports")"
check "chart folder from another site" 403 "$(status -H 'Origin: http://evil.example' -H 'Content-Type: text/plain' -d "{\"path\":\"$HOME\"}" "$url/api/charts/sources")"
check "forecast upload from another site" 403 "$(status -H 'Origin: http://evil.example' -H 'Content-Type: application/octet-stream' --data-binary 'GRIB' "$url/api/weather/upload?name=x.grb")"
check "recordings folder from another site" 403 "$(status -H 'Origin: http://evil.example' -d "name=VDR_DataLog&value=$HOME" "$url/options")"
# GETs change nothing: the command addresses answer only POST.
check "GET next waypoint" 404 "$(status "$url/nav/next_wp")"
check "GET show files" 404 "$(status "$url/browser/voyage_recordings/show-voyage-recording-files")"
check "image from another site" 403 "$(status -H 'Sec-Fetch-Site: cross-site' -H 'Sec-Fetch-Mode: no-cors' -H 'Sec-Fetch-Dest: image' "$url/nav/stop")"
check "stream from another site" 403 "$(status -H 'Origin: http://evil.example' --max-time 2 "$url/events")"
check "read from another site" 403 "$(status -H 'Origin: http://evil.example' "$url/api/ports")"
# DNS rebinding: the right address under a foreign name.
check "rebound read" 421 "$(status -H "Host: evil.example:$port" "$url/api/ports")"
check "rebound write" 421 "$(status -H "Host: evil.example:$port" -H "Origin: http://evil.example:$port" -H "X-CSRF-Token: $token" -H 'Content-Type: application/json' -d "$json" "$url/options")"
headers=$(curl -s -D - -o /dev/null "$url/")
check "no framing" 1 "$(grep -ci '^X-Frame-Options: DENY' <<<"$headers")"
check "no sniffing" 1 "$(grep -ci '^X-Content-Type-Options: nosniff' <<<"$headers")"

# The program's own page: its Origin, JSON and the token.
page() { curl -s -o "$work/answer" -w '%{http_code}' -H "$own" -H "X-CSRF-Token: $token" -H 'Content-Type: application/json' "$@"; }
check "the page refuses a start-up file as a port" 400 "$(page -d "{\"address\":\"$HOME/.bashrc\"}" "$url/api/ports")"
mkdir -p "$work/other" && echo keep > "$work/other/notes.txt"
check "the page refuses a folder of other files for recordings" 400 "$(page -d "{\"name\":\"VDR_DataLog\",\"value\":\"$work/other\"}" "$url/options")"

# Values of the wrong type, oversize values and headers: refused, the program goes on.
for body in '{"address":123}' '{"address":null}' '[]' '{"id":["x"]}' 'null'; do
  check "ports $body" 400 "$(page -d "$body" "$url/api/ports")"
done
check "player action of the wrong type" 400 "$(page -d '{"action":5}' "$url/api/player")"
check "storage value of the wrong type" 400 "$(page -d '{"domain":"D","name":"N","value":1}' "$url/api/storage")"
check "activate with a list" 400 "$(page -d '{"id":[1]}' "$url/nav/activate")"
check "sensor of the wrong type" 400 "$(page -d '{"select":7}' "$url/api/sensors")"
python3 -c "import json; print(json.dumps({'name':'AIS_DangerCPA','value':'x'*5000}))" > "$work/big-setting"
check "oversize setting" 413 "$(page --data-binary "@$work/big-setting" "$url/options")"
python3 -c "import json; print(json.dumps({'domain':'D','name':'N','value':'x'*70000}))" > "$work/big-entry"
check "oversize storage value" 413 "$(page --data-binary "@$work/big-entry" "$url/api/storage")"
check "oversize port label" 400 "$(page -d "{\"address\":\"udp://*:10199\",\"label\":\"$(printf 'L%.0s' $(seq 1 200))\"}" "$url/api/ports")"
check "log condition that inflates a text" 400 "$(status --max-time 10 -G --data-urlencode "where=length(printf('%.*c', 2000000000, 'x')) > 0" "$url/log")"
check "fine coastline over the world" 413 "$(status "$url/api/coastline?res=h&bbox=-180,-90,180,90")"
check "oversize header" 431 "$(status -H "X-Big: $(head -c 20000 /dev/zero | tr '\0' a)" "$url/")"
many=(); for i in $(seq 1 80); do many+=(-H "X-H$i: 1"); done
check "too many headers" 431 "$(status "${many[@]}" "$url/")"
check "still serving" 200 "$(status "$url/")"

# Slow clients: 20 connections that send their headers a byte at a time keep
# neither the page nor its live stream out.
python3 - "$port" <<'PY' &
import socket, sys, time
conns = []
for _ in range(20):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    s.send(b"GET / HTTP/1.1\r\nHo")
    conns.append(s)
for _ in range(30):
    time.sleep(0.5)
    for s in conns:
        try:
            s.send(b"x")
        except OSError:
            pass
PY
slow=$!
sleep 1
check "page served beside slow clients" 200 "$(status --max-time 3 "$url/")"
check "live stream served beside slow clients" 1 "$(curl -s -N --max-time 3 "$url/events" | grep -c '^event: state')"
kill "$slow" 2>/dev/null; slow=

# Other clients holding every live stream cannot keep the page's own stream out.
# Each holds its stream once its first event has arrived.
for i in $(seq 1 8); do curl -s -N --max-time 60 "$url/events" >"$work/stream$i" & streams+=($!); done
for _ in $(seq 1 300); do
  [ "$(grep -l '^event: state' "$work"/stream? 2>/dev/null | wc -l)" -ge 8 ] && break; sleep 0.1
done
check "a ninth stream of another client" 503 "$(status --max-time 3 "$url/events")"
check "the page's stream beside eight others" 1 "$(curl -s -N --max-time 3 "$url/events?token=$token" | grep -c '^event: state')"
for s in "${streams[@]}"; do kill "$s" 2>/dev/null; done; streams=()

# Nothing of the above changed anything.
check "danger CPA unchanged" "0.25 nm" "$(value AIS_DangerCPA)"
check "recordings folder unchanged" "$work/data/tarnwick-ecs/DataLog" "$(value VDR_DataLog)"
check "no port defined" "[]" "$(curl -s "$url/api/ports")"
check "no storage entry" 1 "$(curl -s "$url/api/storage?domain=D" | grep -c '"entries":\[\]')"
checks=$((checks + 1))
[ -e "$HOME/.bashrc" ] && { echo "FAIL a start-up file appeared"; failures=$((failures + 1)); }

# What the page may do, it still does; a listener it adds stays on this computer.
check "page sets a setting" 200 "$(page -d '{"name":"AIS_DangerCPA","value":"0.5 nm"}' "$url/options")"
check "setting changed" "0.5 nm" "$(value AIS_DangerCPA)"
udp=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
check "page adds a UDP port" 200 "$(page -d "{\"address\":\"udp://*:$udp\"}" "$url/api/ports")"
for _ in $(seq 1 50); do ss -lnu | grep -q ":$udp " && break; sleep 0.1; done
check "the UDP port listens on loopback only" "127.0.0.1:$udp" "$(ss -lnu | awk -v p=":$udp" '$4 ~ p"$" {print $4}')"
echo 'echo hello' > "$HOME/.profile"
check "the command line refuses a start-up file as a port" 1 "$("$tarnwick" ports add "$HOME/.profile" >/dev/null 2>&1; echo $?)"

kill -TERM "$pid"; wait "$pid"; check "clean exit" 0 $?
pid=
check "refusals were logged" 1 "$(grep -c -m1 'CHttpServer: refused' "$work/data/tarnwick-ecs/Application.log")"
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
