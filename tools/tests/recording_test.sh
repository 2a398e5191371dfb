#!/usr/bin/env bash
# End-to-end: make a recording from an NMEA log, dump it, list its day, play it
# back at 100x, and query the logbook.
set -u
tarnwick="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

printf '$GPRMC,135958,A,5000.00,N,00100.00,W,5.0,90.0,300621,,*00\r\n# comment\r\n\r\n!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n$GPGGA,1\r\n' > "$work/in.nmea"
check "record" "3 records written to $work/rec" \
  "$("$tarnwick" vdr record "$work/in.nmea" "$work/rec" --start 2021-06-30T13:59:59.500Z --rate 2)"
check "files" "20210630T13Z.skvdr 20210630T14Z.skvdr" "$(cd "$work/rec" && echo *.skvdr)"
check "dump 13" "2021-06-30T13:59:59.500Z 1 \$GPRMC,135958,A,5000.00,N,00100.00,W,5.0,90.0,300621,,*00" \
  "$("$tarnwick" vdr dump "$work/rec/20210630T13Z.skvdr")"
check "dump 14 lines" 2 "$("$tarnwick" vdr dump "$work/rec/20210630T14Z.skvdr" | wc -l)"
check "dump 14 last" "2021-06-30T14:00:00.500Z 1 \$GPGGA,1" \
  "$("$tarnwick" vdr dump "$work/rec/20210630T14Z.skvdr" | tail -1)"
check "list" "2021-06-30 2021-06-30T13:59:59.500Z 2021-06-30T14:00:00.500Z" \
  "$("$tarnwick" vdr list --folder "$work/rec")"
check "play" "2021-06-30T14:00:00.000Z !AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26
2021-06-30T14:00:00.500Z \$GPGGA,1" \
  "$("$tarnwick" vdr play "$work/rec" --start 2021-06-30T14:00:00Z --speed 100 2>/dev/null)"
"$tarnwick" vdr dump "$work/in.nmea" >/dev/null 2>&1; check "dump of a non-recording" 1 $?
"$tarnwick" vdr play "$work/rec" --speed 0 >/dev/null 2>&1; check "speed 0" 2 $?

check "empty log" "" "$("$tarnwick" log query)"
"$tarnwick" log query --where '1); DELETE FROM Entries; --' >/dev/null 2>&1; check "bad where" 1 $?

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
