#!/usr/bin/env bash
# End-to-end: `tarnwick grib dump --values` gives, point for point, the
# positions and values ecCodes' grib_get_data (Debian libeccodes-tools) reads
# from every test file; `tarnwick grib value` reads forecasts at a place and
# time by the unit settings; bad files and arguments are refused clearly.
set -u
tarnwick="$1"
src=${TW_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
data="$src/environment/tests/data/grib"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}

if ! command -v grib_get_data >/dev/null; then
  echo "grib_get_data (Debian libeccodes-tools) is needed as the reference"
  exit 1
fi

# Every record whose points we place, against grib_get_data: positions to
# within 0.0005° (it prints three decimals; longitudes modulo 360, none at
# the poles) and values to a float's precision; missing points both missing.
compare() {  # compare FILE
  "$tarnwick" grib dump --values "$1" >"$work/ours.jsonl" 2>/dev/null
  grib_get_data -m NaN -F %.10g "$1" >"$work/theirs.txt" 2>/dev/null
  grib_get -p edition "$1" >"$work/editions.txt" 2>/dev/null
  python3 - "$work/ours.jsonl" "$work/theirs.txt" "$work/editions.txt" <<'EOF'
import json, math, sys
ours = [json.loads(l) for l in open(sys.argv[1])]
messages, current = [], None
for line in open(sys.argv[2]):
    if line.startswith('Latitude'):
        current = []
        messages.append(current)
        continue
    f = line.split()
    if len(f) == 3 and current is not None:
        current.append(tuple(map(float, f)))
# Our lines are the edition 1 records; records we do not place are left out.
editions = [l.strip() for l in open(sys.argv[3])]
messages = [m for m, e in zip(messages, editions) if e == '1']
bad = []
if len(ours) != len(messages):
    bad.append(f'{len(ours)} records, ecCodes {len(messages)}')
pairs = [(r['points'], m) for r, m in zip(ours, messages) if r.get('points') is not None]
for n, (p, m) in enumerate(pairs):
    if len(p) != len(m):
        bad.append(f'record {n}: {len(p)} points, ecCodes {len(m)}')
        continue
    for (lat, lon, v), (elat, elon, ev) in zip(p, m):
        if abs(lat - elat) > 6e-4 or (abs(elat) < 90 and abs((lon - elon + 180) % 360 - 180) > 6e-4):
            bad.append(f'record {n}: point {lat},{lon} where ecCodes has {elat},{elon}')
        elif (v is None) != math.isnan(ev):
            bad.append(f'record {n}: {v} at {lat},{lon} where ecCodes has {ev}')
        elif v is not None and abs(v - ev) > 2e-7 * max(1.0, abs(ev)):
            bad.append(f'record {n}: {v} at {lat},{lon} where ecCodes has {ev}')
        if len(bad) > 3:
            break
unplaced = len(ours) - len(pairs)
print('\n'.join(bad[:4]) if bad else 'same' + (f' ({unplaced} not placed)' if unplaced else ''))
EOF
}

files=0
for f in "$data"/*.grib "$data"/*.grib1 "$data"/*.tmpl "$data"/fixtures/*.grb "$data"/fixtures/*.bzz; do
  case "$f" in *era5-levels-corrupted*) continue ;; esac
  if [[ "$f" == *.bzz ]]; then bzip2 -dc "$f" >"$work/expanded.grb"; theirs="$work/expanded.grb"; else theirs="$f"; fi
  if [[ "$f" == *.bzz ]]; then
    # The compressed file dumps as its expanded twin.
    check "$(basename "$f") expands" "$("$tarnwick" grib dump --values "$theirs" | md5sum)" "$("$tarnwick" grib dump --values "$f" | md5sum)"
    continue
  fi
  case "$(basename "$f")" in
    # A quasi-regular Gaussian grid and a polar grid without grid lengths.
    reduced_gg.grib | polar_stereographic_sfc_grib1.tmpl) expected="same (1 not placed)" ;;
    # Spectral coefficients: no grid points on either side.
    spherical_harmonics.grib) expected="1 records, ecCodes 0" ;;
    *) expected=same ;;
  esac
  check "$(basename "$f")" "$expected" "$(compare "$f")"
  files=$((files + 1))
done
check "files compared" 1 "$((files >= 30))"

# The line of a record, exactly.
check "dump line" '{"parameter":2,"table":2,"centre":7,"level_type":102,"level":0,"reference":"2024-06-01T00:00:00Z","valid":"2024-06-01T00:00:00Z","weather_type":"PRES","grid":{"type":0,"ni":36,"nj":19,"lat1":90,"lon1":0,"lat2":-90,"lon2":350,"di":10,"dj":10,"scan":0},"count":684,"missing":0,"min":100000,"max":101800,"mean":100900}' \
  "$("$tarnwick" grib dump "$data/fixtures/global_pressure.grb")"

# Values at a place and time: currents halfway between two steps, waves with
# their directions and periods; by the unit settings of the data folder.
value() { "$tarnwick" grib value "$@" | python3 -c "import json,sys; print(' | '.join(d['name'] + ': ' + str(d['text']) for d in map(json.loads, sys.stdin)))"; }
check "currents" "Current: 1.4 kn NE" "$(value "$data/fixtures/currents_uv.grb" --at 48 -7.5 --time 2024-06-01T03:00:00Z)"
"$tarnwick" settings set Units_Speed m/s >/dev/null && "$tarnwick" settings set Units_Height meters >/dev/null
check "currents in m/s" "Current: 0.7 m/s NE" "$(value "$data/fixtures/currents_uv.grb" --at 48 -7.5 --time 2024-06-01T03:00:00Z)"
check "waves" "Significant wave height: 1.8 m WNW | Wind wave direction: 265 °T, 5 sec | Wind wave height: 1 m | Swell direction: 302 °T, 12 sec | Swell height: 2 m | Primary wave direction: 285 °T, 9 sec | Secondary wave direction: 201 °T, 6 sec" \
  "$(value "$data/fixtures/waves.grb.bzz" --at 49.5 -9.5 --time 2024-06-01T06:00:00Z)"
check "outside the forecast" "Current: None" "$(value "$data/fixtures/currents_uv.grb" --at 10 10 --time 2024-06-01T03:00:00Z)"

# The forecast request texts, and where the replies are stored.
check "mail request" '{"service":"mail","request":"GFS:50N,40N,21W>10E|0.5,0.5|0,6..48|WIND,WAVES","query":"fetch?GFS:50N,40N,21W>10E|0.5,0.5|0,6..48|WIND,WAVES&6=6140622e63","reply":"'"$work"'/data/tarnwick-ecs/weather/saildocs.grb"}' \
  "$("$tarnwick" grib request mail --region 49.5,40,-20.5,10 --days 2 --items wind,waves --email a@b.c)"
check "grid request" "WxGrid?days=3&bbox=-20.50,40.00,10.00,49.50&layers=WIND,PRES" \
  "$("$tarnwick" grib request grid --region 49.5,40,-20.5,10 | python3 -c 'import json,sys; print(json.load(sys.stdin)["request"])')"
"$tarnwick" grib request mail --region 40,50,0,1 >/dev/null 2>&1
check "bad region exit" 2 $?

# Refusals.
"$tarnwick" grib dump "$data/era5-levels-corrupted.grib" >"$work/out" 2>"$work/err"
check "corrupt exit" 1 $?
check "corrupt message" "tarnwick grib: $data/era5-levels-corrupted.grib: record at offset 0: the record's length does not end at \"7777\"; reading stopped" "$(cat "$work/err")"
check "no weather types" "tarnwick grib: $data/spherical_harmonics.grib: No supported weather types were found in this file." \
  "$("$tarnwick" grib value "$data/spherical_harmonics.grib" --at 0 0 --time 2017-10-18T12:00:00Z 2>&1)"
"$tarnwick" grib value "$data/wind_20x20.grib" --at 95 0 --time 2024-05-14T12:00:00Z >/dev/null 2>&1
check "bad latitude exit" 2 $?
"$tarnwick" grib value "$data/wind_20x20.grib" --at 0 0 --time tomorrow >/dev/null 2>&1
check "bad time exit" 2 $?
check "missing file" "tarnwick grib: $work/none.grb: No such file or directory" "$("$tarnwick" grib dump "$work/none.grb" 2>&1)"

[ "$failures" -eq 0 ] && echo "grib: all passed"
exit "$failures"
