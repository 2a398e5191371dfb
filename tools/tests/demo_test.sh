#!/usr/bin/env bash
# End-to-end check of `tarnwick run --demo sail`: from a clean data folder the
# program plays the bundled recording, the own ship gets a position and a
# dangerous AIS target is flagged within seconds; the page's request switches
# to the harbour voyage over the bundled chart; SIGTERM stops it cleanly.
set -euo pipefail
tarnwick=${1:?usage: $0 TARNWICK}
work=$(mktemp -d)
pid=
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/xdg-data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
fail() {
  echo "FAIL: $*" >&2
  [[ -f "$data/Application.log" ]] && tail -30 "$data/Application.log" >&2
  exit 1
}

share=$(dirname "$tarnwick")/share/tarnwick-ecs/demo
first_log=${TW_SOURCE_DIR:-$(dirname "$0")/../..}/app/demo/plaka.log
[[ -n "$(ls "$share"/recording/*.skvdr 2>/dev/null)" ]] || fail "no demo recording in $share (build tw_share)"
[[ -f "$share/Plaka demo route.nob" ]] || fail "no demo route in $share"
"$tarnwick" nob check "$share/Plaka demo route.nob" > /dev/null || fail "demo route does not load"

# Bad input to the generator gets a message and a non-zero exit.
rc=0; "$tarnwick" aissim "$work/missing.log" --date 2021-06-12 2> "$work/err" || rc=$?
[[ $rc -eq 1 ]] && grep -q 'cannot read' "$work/err" || fail "aissim on a missing log: $rc"
rc=0; "$tarnwick" aissim "$work/missing.log" --date 12.6.2021 2> "$work/err" || rc=$?
[[ $rc -eq 2 ]] && grep -q 'is not a date' "$work/err" || fail "aissim with a bad date: $rc"
printf '2021-06-12T10:00:00Z $GPGLL,6005.071,N,02332.346,E,100000,A,D*4E\nnot a timed line\n' > "$work/bad.timed"
rc=0; "$tarnwick" vdr record --timed "$work/bad.timed" "$work/bad-rec" > /dev/null 2> "$work/err" || rc=$?
[[ $rc -eq 1 ]] && grep -q 'bad.timed:2: not' "$work/err" || fail "vdr record --timed with a bad line: $rc"

# The harbour voyage: the simulated recording, its route and the chart with NOAA's notice.
[[ -n "$(ls "$share"/kaneohe/recording/*.skvdr 2>/dev/null)" ]] || fail "no harbour recording"
"$tarnwick" nob check "$share/kaneohe/Kaneohe Bay demo route.nob" > /dev/null || fail "harbour route does not load"
[[ -f "$share/charts/US5HA57M/US5HA57M/US5HA57M.000" ]] || fail "no bundled chart"
grep -q 'NOT FOR' "$share/charts/SOURCES.md" && [[ -f "$share/charts/US5HA57M/USERAGREEMENT.TXT" ]] ||
  fail "the chart's notice is missing"
"$tarnwick" vdr dump "$(ls "$share"/kaneohe/recording/*.skvdr | head -1)" > "$work/harbour.txt"
grep -q ' 1 \$GPRMC,[0-9.]*,A,2130\.' "$work/harbour.txt" || fail "no simulated own ship off Kaneohe Bay"
grep -q ' 1 !AIVDM' "$work/harbour.txt" || fail "no AIS traffic in the harbour voyage"
rc=0; "$tarnwick" navsim "$work/missing.gpx" --start 2026-06-20T18:00:00Z --speed 6 2> "$work/err" || rc=$?
[[ $rc -eq 1 ]] && grep -q 'missing.gpx' "$work/err" || fail "navsim on a missing route: $rc"
rc=0; "$tarnwick" navsim "$work/missing.gpx" --start 2026-06-20T18:00:00Z --speed 90 2> /dev/null || rc=$?
[[ $rc -eq 2 ]] || fail "navsim at 90 knots: $rc"
printf '[{"mmsi": "x"}]' > "$work/fleet.json"
rc=0; "$tarnwick" aissim "$first_log" --date 2021-06-12 --fleet "$work/fleet.json" 2> "$work/err" > /dev/null || rc=$?
[[ $rc -eq 1 ]] && grep -q 'numeric mmsi' "$work/err" || fail "aissim with a bad fleet: $rc"

# The recording holds the sail and the AIS traffic, in time order.
first=$(ls "$share"/recording/*.skvdr | head -1)
"$tarnwick" vdr dump "$first" > "$work/dump.txt"
grep -q ' 1 \$GPGLL,6005' "$work/dump.txt" || fail "no own-ship positions recorded"
grep -q ' 1 !AIVDM,2,1,[0-9],[AB],5' "$work/dump.txt" || fail "no two-fragment static data recorded"
python3 - "$work/dump.txt" <<'PY' || fail "records out of time order"
import sys
times = [l.split(" ", 1)[0] for l in open(sys.argv[1])]
assert times == sorted(times), "unsorted"
PY

data="$work/demo-data"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$tarnwick" settings set --data "$data" Network_HttpPort "$port" > /dev/null
"$tarnwick" run --demo sail --accept-disclaimer --data "$data" > "$work/run.out" 2> "$work/run.err" &
pid=$!

# Own ship position and a dangerous target: from the live events when the
# server has them, else from the log (the spoken collision warning).
found=
for _ in $(seq 1 60); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "tarnwick run --demo exited: $(cat "$work/run.err")"
  events=$(curl -s -N --max-time 2 "http://127.0.0.1:$port/events" 2>/dev/null || true)
  if grep -q '^event: state' <<<"$events"; then
    grep -q '"demo":{[^}]*"loop":true' <<<"$events" || fail "state event without the demo description"
    if grep -q '"dangerous":true' <<<"$events" && grep -q '"fix":{[^}]*"lat":60\.' <<<"$events"; then
      found=events
      break
    fi
  elif grep -q 'Speak: Warning: possible collision with' "$data/Application.log" 2>/dev/null &&
       grep -q 'Demo: playing' "$data/Application.log"; then
    found=log
    break
  fi
done
[[ -n "$found" ]] || fail "no dangerous target within a minute"
echo "dangerous target seen in the $found"

# Nothing recorded over: the playback copy still matches the bundled files.
for f in "$share"/recording/*.skvdr; do
  cmp -s "$f" "$data/Demo recording/$(basename "$f")" || fail "playback copy of $(basename "$f") changed"
done
[[ -f "$data/NavObjects/Plaka demo route.nob" ]] || fail "route document not in the documents folder"

# The loop: sought to a few seconds before the end, the player starts over.
end_ms=$(python3 -c 'import datetime; print(int(datetime.datetime(2021, 6, 12, 14, 3, 20, tzinfo=datetime.timezone.utc).timestamp() * 1000))')
token=$(cat "$XDG_RUNTIME_DIR/tarnwick-ecs/http-token")
curl -sf -X POST -H 'Content-Type: application/json' -H "Origin: http://127.0.0.1:$port" \
  -H "X-CSRF-Token: $token" \
  -d "{\"action\":\"seek\",\"timeUtcMs\":$end_ms}" "http://127.0.0.1:$port/api/player" > /dev/null ||
  fail "cannot seek the player"
looped=
for _ in $(seq 1 40); do
  sleep 0.5
  if grep -q 'Demo: end of the recording, playing it again' "$data/Application.log"; then looped=1; break; fi
done
[[ -n "$looped" ]] || fail "the recording did not start over at its end"

# The page's switch: the harbour voyage plays over the bundled chart.
post() {
  curl -s -o "$work/post.json" -w '%{http_code}' -X POST -H 'Content-Type: application/json' \
    -H "Origin: http://127.0.0.1:$port" -H "X-CSRF-Token: $token" -d "$2" "http://127.0.0.1:$port$1"
}
[[ $(post /api/demo '{"voyage":"moon"}') == 400 ]] || fail "an unknown voyage is not refused"
[[ $(post /api/demo '{"voyage":"harbour"}') == 200 ]] || fail "cannot switch to the harbour voyage"
grep -q '"voyage":"harbour"' "$work/post.json" || fail "the answer is not the harbour voyage: $(cat "$work/post.json")"
harbour=
for _ in $(seq 1 30); do
  sleep 1
  events=$(curl -s -N --max-time 2 "http://127.0.0.1:$port/events" 2>/dev/null || true)
  if grep -q '"fix":{[^}]*"lat":21\.' <<<"$events"; then
    harbour=1
    break
  fi
done
[[ -n "$harbour" ]] || fail "no own ship off Kaneohe Bay after the switch"
charts=$(curl -s "http://127.0.0.1:$port/api/charts")
grep -q '"name":"US5HA57M"' <<<"$charts" || fail "the bundled chart is not installed"

kill -TERM "$pid"
for _ in $(seq 1 30); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$pid" 2>/dev/null && fail "did not stop on SIGTERM"
wait "$pid" || fail "exit status $? after SIGTERM"
pid=
echo "PASS"
