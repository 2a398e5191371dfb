#!/bin/bash
# `tarnwick ports` edits electronics.db; `tarnwick monitor` opens a UDP port on
# 127.0.0.1 and prints what a local sender feeds it.
set -u
tarnwick="$1"
data=$(mktemp -d)
trap 'rm -rf "$data"; [ -n "${feeder:-}" ] && kill "$feeder" 2>/dev/null' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

t() { "$tarnwick" "$@" --data "$data"; }

t ports add ttyUSB0 baud=38400 label=GPS > /dev/null || fail "add serial port"
t ports add 'x-nmea0183-udp://*:17608/' repeater=true > /dev/null || fail "add udp port"
t ports add ttyUSB0 2>/dev/null && fail "adding a configured port again"
t ports add 'ftp://nowhere' 2>/dev/null && fail "adding a bad address"
t ports add ttyS1 baud=12345 2>/dev/null && fail "adding a bad baud rate"
# NMEA 2000 gateways cannot run yet: refused with the reason, nothing stored.
err=$(t ports add ttyUSB1 driver=actisense 2>&1 >/dev/null) && fail "adding an NMEA 2000 gateway"
echo "$err" | grep -q 'NMEA 2000 gateways (driver "actisense") are not supported yet' ||
  fail "no reason for refusing the gateway: $err"
t ports add ttyUSB1 headingCorrection=-3.5 > /dev/null || fail "add a compass with its correction"
t ports set ttyUSB1 driver=maretron 2>/dev/null && fail "setting an NMEA 2000 gateway"
t ports remove ttyUSB1 > /dev/null
t ports set ttyUSB0 parity=Even label= > /dev/null || fail "set"
t ports set ttyS9 baud=4800 2>/dev/null && fail "set on an unknown port"
list=$(t ports list)
echo "$list" | grep -q '"port": "ttyUSB0"' || fail "list lacks ttyUSB0: $list"
echo "$list" | grep -q '"parity": "Even"' || fail "list lacks the parity: $list"
echo "$list" | grep -q '"label"' && fail "label was not removed: $list"
t ports remove ttyUSB0 || fail "remove"
t ports remove ttyUSB0 2>/dev/null && fail "removing twice"
[ "$(t ports list | grep -c '"port"')" = 1 ] || fail "one port should remain"

# Monitor a UDP port fed from this script through bash's /dev/udp.
port=$((20000 + RANDOM % 20000))
( while true; do
    printf '$GPGGA,1*00\r\njunk\r\n' > "/dev/udp/127.0.0.1/$port" 2>/dev/null
    sleep 0.2
  done ) &
feeder=$!
out=$(t monitor "udp://*:$port" --count 2 --seconds 20 2>/dev/null)
echo "$out" | grep -qF "(udp://*:$port) \$GPGGA,1*00" || fail "monitor output lacks the sentence: $out"
echo "$out" | grep -qF "UNKNOWN:junk" || fail "monitor output lacks the unrecognised data: $out"

t monitor --count 0 2>/dev/null && fail "monitor accepted --count 0"
t monitor 'ftp://x' 2>/dev/null && fail "monitor accepted a bad address"
exit $failed
