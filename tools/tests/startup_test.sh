#!/usr/bin/env bash
# End-to-end: what `tarnwick run` tells the navigator when its start goes
# wrong. SIGTERM ends it while the disclaimer question waits; a taken HTTP port
# ends start-up naming the port and the setting; a damaged storage.db is set
# aside for a fresh one; after a crash the next start says what the crash
# report holds, on the terminal and on the page.
set -u
tarnwick="$1"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/xdg-data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
data="$XDG_DATA_HOME/tarnwick-ecs"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
# Waits up to $2 tenths of a second for process $1 to end; its exit code in $rc.
wait_for_exit() {
  for _ in $(seq 1 "$2"); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$1" 2>/dev/null; then rc=timeout; else wait "$1"; rc=$?; fi
}

# 1. SIGTERM while the disclaimer question waits on a terminal ("nossdp": no page).
# (script's input must stay open: at its end the terminal would answer "no".)
mkfifo "$work/keyboard"
script -qfec "exec '$tarnwick' run --no-browser nossdp" /dev/null < "$work/keyboard" > "$work/tty.out" 2>&1 &
shell=$!
pids+=("$shell")
exec 3> "$work/keyboard"
for _ in $(seq 1 100); do grep -q "Do you accept" "$work/tty.out" && break; sleep 0.1; done
grep -q "Do you accept" "$work/tty.out" || fail "no disclaimer question: $(cat "$work/tty.out")"
program=$(pgrep -P "$shell" | head -1)
kill -TERM "$program"
wait_for_exit "$shell" 50
[ "$rc" != timeout ] || fail "SIGTERM did not end the program at the disclaimer"
exec 3>&-
grep -q "InitInstance1 exited" "$data/Application.log" || fail "no 'InitInstance1 exited' line"
grep -q "Disclaimer not OK" "$data/Application.log" && fail "a signal counted as a declined disclaimer"
grep -q '"Watchdog"' "$XDG_CONFIG_HOME/tarnwick-ecs/registry.json" 2>/dev/null &&
  fail "the unclean-exit detector was left armed"

# 2. The HTTP port is taken: start-up ends and names the port and the setting.
port=$((20000 + $$ % 20000))
"$tarnwick" settings set Network_HttpPort "$port" > /dev/null
python3 -c 'import socket,sys,time
s=socket.socket(); s.bind(("127.0.0.1",int(sys.argv[1]))); s.listen(1); time.sleep(60)' "$port" &
pids+=("$!")
sleep 0.5
timeout 20 "$tarnwick" run --no-browser --accept-disclaimer > "$work/port.out" 2> "$work/port.err"
rc=$?
[ "$rc" = 1 ] || fail "a taken port: exit $rc, expected 1"
grep -q "port $port" "$work/port.err" && grep -q "Network_HttpPort" "$work/port.err" ||
  fail "a taken port: the message does not name port and setting: $(cat "$work/port.err")"
grep -q "is running" "$work/port.out" && fail "a taken port: it claims to be running"
kill "${pids[-1]}" 2>/dev/null

# 3. A damaged storage.db is kept aside and a fresh store made; the terminal says so.
printf 'this is no database\n' > "$data/storage.db"
"$tarnwick" run --no-browser --accept-disclaimer nossdp > "$work/store.out" 2> "$work/store.err" &
program=$!
pids+=("$program")
for _ in $(seq 1 100); do grep -q "is running" "$work/store.out" && break; sleep 0.1; done
grep -q "storage.db could not be used" "$work/store.err" ||
  fail "damaged store: nothing on the terminal: $(cat "$work/store.err")"
ls "$data"/storage.db.damaged-* > /dev/null 2>&1 || fail "damaged store: not kept aside"
[ "$(cat "$data"/storage.db.damaged-* 2>/dev/null)" = "this is no database" ] ||
  fail "damaged store: the kept file is not the damaged one"
kill -TERM "$program"
wait_for_exit "$program" 50
[ "$rc" = 0 ] || fail "damaged store: exit $rc"
"$tarnwick" settings set Network_HttpPort "$port" > /dev/null || fail "the fresh store does not take settings"

# 4. A crash: the next start tells its time, signal and stage, and where the report is.
"$tarnwick" run --no-browser --accept-disclaimer > "$work/crash.out" 2>&1 &
program=$!
pids+=("$program")
for _ in $(seq 1 100); do grep -q "is running" "$work/crash.out" && break; sleep 0.1; done
kill -SEGV "$program"
wait_for_exit "$program" 50
report=$(ls "$data"/crash/crash-*.dmp 2>/dev/null | head -1)
[ -n "$report" ] || fail "no crash report written"
"$tarnwick" run --no-browser --accept-disclaimer > "$work/next.out" 2> "$work/next.err" &
program=$!
pids+=("$program")
for _ in $(seq 1 100); do grep -q "is running" "$work/next.out" && break; sleep 0.1; done
grep -q "crashed at .* UTC: signal 11 (SEGV)" "$work/next.err" ||
  fail "the terminal does not tell the crash: $(cat "$work/next.err")"
grep -qF "$report" "$work/next.err" || fail "the terminal does not tell where the report is"
curl -s -N --max-time 2 "http://127.0.0.1:$port/events" > "$work/events" 2>/dev/null
grep -q 'signal 11 (SEGV)' "$work/events" && grep -qF "$report" "$work/events" ||
  fail "the page's state does not tell the crash: $(head -c 600 "$work/events")"
kill -TERM "$program"
wait_for_exit "$program" 50

echo "$failures failed"
[ "$failures" -eq 0 ]
