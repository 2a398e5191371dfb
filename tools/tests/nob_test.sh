#!/usr/bin/env bash
# End-to-end: tarnwick nob check, to-json, to-gpx and from-gpx on the test files.
set -euo pipefail
tarnwick="$1"
data="${TW_SOURCE_DIR}/navobjects/tests/data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"

"$tarnwick" nob check "$data/shapes-and-legs.nob" > "$work/check.json"
grep -q '"Mark": 3' "$work/check.json"
grep -q '"missing": \[\]' "$work/check.json"

"$tarnwick" nob to-json "$data/sample.nob" > "$work/objects.json"
grep -q '"ArrivalCircleRadius": "0.1 NM"' "$work/objects.json"
grep -q '"Name": "Kiel Fjord"' "$work/objects.json"

"$tarnwick" nob to-gpx "$data/sample.nob" "$work/out.gpx"
grep -q '<rtept lat="54.321000" lon="10.150000">' "$work/out.gpx"
"$tarnwick" nob from-gpx "$work/out.gpx" "$work/back.nob"
"$tarnwick" nob check "$work/back.nob" | grep -q '"Route": 1'

# Unreadable input: a message and a failing exit code, never a crash.
printf '<NavObjectCollection><Mark>' > "$work/broken.nob"
if "$tarnwick" nob check "$work/broken.nob" 2> "$work/err.txt"; then exit 1; fi
grep -q 'broken.nob' "$work/err.txt"
if "$tarnwick" nob check "$work/none.nob" 2> /dev/null; then exit 1; fi
echo ok
