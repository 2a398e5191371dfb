#!/usr/bin/env bash
# End-to-end checks of `tarnwick ais`: decode, --targets, cpa, bad input.
set -euo pipefail
tarnwick=${1:?usage: $0 TARNWICK}
data="${TW_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}/instruments/tests/data/ais"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Decode: one JSON line per completed message; the first is gpsd's checked type 1.
"$tarnwick" ais decode "$data/sample.aivdm" > "$work/out.jl"
[[ $(wc -l < "$work/out.jl") -eq 98 ]] || fail "expected 98 messages, got $(wc -l < "$work/out.jl")"
head -1 "$work/out.jl" | grep -q '"type":1,"repeat":0,"mmsi":371798000,"lat":48.3816333,"lon":-123.3953833,"sog":12.3,"cog":224.0,"heading":215' ||
  fail "first message: $(head -1 "$work/out.jl")"
grep -q '"name":"EVER DIADEM","callsign":"3FOF8","ship_type":70,"ship_type_text":"Cargo Ship"' "$work/out.jl" ||
  fail "type 5 static data"

# stdin, other sentences and garbage are ignored without failing.
printf '$GPRMC,1,2\n!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\n\x01\x02garbage\n!AIVDM,1,1,,A,1,0*00\n' |
  "$tarnwick" ais decode > "$work/stdin.jl"
[[ $(wc -l < "$work/stdin.jl") -eq 1 ]] || fail "stdin decode"

# --targets: one line per target, sorted by MMSI.
"$tarnwick" ais decode --targets "$data/nais300-merrimac.log" > "$work/targets.jl"
[[ $(wc -l < "$work/targets.jl") -gt 10 ]] || fail "too few targets"
python3 - "$work/targets.jl" <<'PY' || fail "targets not sorted or malformed"
import json, sys
mmsis = [json.loads(l)["mmsi"] for l in open(sys.argv[1])]
assert mmsis == sorted(mmsis) and len(set(mmsis)) == len(mmsis)
PY

# CPA: reciprocal courses 2 nm apart at 10 kn each; then 1.4 nm apart (dangerous).
out=$(echo '{"own":{"lat":50,"lon":-5,"cog":0,"sog":10},"target":{"lat":50.0333333333,"lon":-5,"cog":180,"sog":10}}' |
  "$tarnwick" ais cpa)
[[ "$out" == '{"bearing":0,"range":2.0,"cpa":0.0,"tcpa":344,"dangerous":false}' ]] || fail "cpa: $out"
out=$(echo '{"own":{"lat":50,"lon":-5,"cog":0,"sog":10},"target":{"lat":50.0233333333,"lon":-5,"cog":180,"sog":10}}' |
  "$tarnwick" ais cpa)
[[ "$out" == *'"dangerous":true}' ]] || fail "danger: $out"
out=$(echo '{"own":{"lat":50,"lon":-5,"cog":0,"sog":10},"target":{"lat":50.0333333333,"lon":-5,"cog":0,"sog":15}}' |
  "$tarnwick" ais cpa)
[[ "$out" == *'"cpa":null,"tcpa":null,"dangerous":false}' ]] || fail "opening: $out"
if echo '{"own":{}}' | "$tarnwick" ais cpa 2> /dev/null; then fail "bad cpa input accepted"; fi
if "$tarnwick" ais decode /no/such/file 2> /dev/null; then fail "missing file accepted"; fi
echo "ok"
