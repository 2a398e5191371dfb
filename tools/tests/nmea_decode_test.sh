#!/bin/bash
# Decodes every regression log with `tarnwick nmea decode` and compares the
# JSON lines with the reviewed expected output; checks `nmea format` round
# trips and the refusal of bad arguments.
set -u
tarnwick="$1"
data="${TW_SOURCE_DIR:-$(dirname "$0")/../..}/instruments/tests/data/nmea"
failed=0

for log in "$data"/*.log; do
  expected="${log%.log}.expected.jsonl"
  if ! diff -u "$expected" <("$tarnwick" nmea decode "$log") > /tmp/nmea_decode_diff.$$; then
    echo "FAIL: $(basename "$log") differs from its expected output:"
    head -40 /tmp/nmea_decode_diff.$$
    failed=1
  fi
done
rm -f /tmp/nmea_decode_diff.$$

# Standard input, line numbers and a line that is not a sentence.
out=$(printf '$HEHDT,4.0,T*2B\r\nnot nmea\n' | "$tarnwick" nmea decode)
echo "$out" | sed -n 1p | grep -q '"line":1,"accepted":true,"talker":"HE","formatter":"HDT"' \
  || { echo "FAIL: stdin HDT line: $out"; failed=1; }
echo "$out" | sed -n 2p | grep -q '"line":2,"accepted":false' \
  || { echo "FAIL: non-sentence line: $out"; failed=1; }

# A formatted sentence decodes back to its values.
sentence=$("$tarnwick" nmea format MWV angle=45 speed=12.5 prefix='$WI')
[ "$sentence" = $'$WIMWV,45.0,R,12.5,N,A*24\r' ] || [ "$sentence" = '$WIMWV,45.0,R,12.5,N,A*24' ] \
  || { echo "FAIL: nmea format MWV gave '$sentence'"; failed=1; }
echo "$sentence" | "$tarnwick" nmea decode | grep -q '"wind_angle":45.0,"wind_speed":12.5' \
  || { echo "FAIL: formatted MWV does not decode back"; failed=1; }

# Bad arguments fail with a message.
if "$tarnwick" nmea format NOPE 2>/dev/null; then echo "FAIL: unknown type accepted"; failed=1; fi
if "$tarnwick" nmea format HDT headng=1 2>/dev/null; then echo "FAIL: unknown key accepted"; failed=1; fi
if "$tarnwick" nmea format HDT heading=x 2>/dev/null; then echo "FAIL: bad number accepted"; failed=1; fi
if "$tarnwick" nmea decode /nonexistent/file 2>/dev/null; then echo "FAIL: missing file"; failed=1; fi

exit $failed
