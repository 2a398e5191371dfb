#!/usr/bin/env bash
# End-to-end: the chart view's drawing. `tarnwick charts render` draws a tile
# and a view of the Kaneohe Bay cell (US5HA57M) from the data folder's library
# (day and night differ, a tile away from the chart shows the base map only,
# bad arguments are refused), a raster chart drawn by its palette, and a
# running program serves the same tile over HTTP, by scheme, with a 304 for
# its ETag.
set -u
tarnwick="$1"
data="$TW_SOURCE_DIR/charts/tests/data"
work=$(mktemp -d)
program=""
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  XDG_CACHE_HOME="$work/cache" HOME="$work" DISPLAY="" WAYLAND_DISPLAY=""
mkdir -p "$work/run" && chmod 700 "$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
field() {  # field EXPRESSION: EXPRESSION over the JSON line `d` of stdin
  python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"
}
png_size() {  # png_size FILE: "WxH" of a PNG
  python3 -c "import struct,sys; b=open(sys.argv[1],'rb').read(24); print('%dx%d' % struct.unpack('>II', b[16:24]) if b[1:4]==b'PNG' else 'not a png')" "$1"
}

"$tarnwick" charts add "$data/s57/noaa_US5HA57M_exchange_set" >/dev/null 2>"$work/add.err" || echo "FAIL add: $(cat "$work/add.err")"

# The z16 tile of the Kaneohe Bay shore at Pali Kilo (21.46 N 157.764 W) in the chart Mercator.
tile=$(python3 -c '
import math
a, e = 6378137.0, 0.0818191908426215
lat, lon, z = math.radians(21.46), math.radians(-157.764), 16
y = a * math.log(math.tan(math.pi / 4 + lat / 2) * ((1 - e * math.sin(lat)) / (1 + e * math.sin(lat))) ** (e / 2))
w = 2 * math.pi * a
print("%d/%d/%d" % (z, (a * lon + w / 2) / w * 2 ** z, (w / 2 - y) / w * 2 ** z))')

"$tarnwick" charts render --tile "$tile" --scheme day --out "$work/day.png" >"$work/day.json"
check "tile exit" 0 $?
check "tile drawn" "256x256 1 True True" \
  "$(png_size "$work/day.png") $(field '"%s %s %s" % (d["charts"], d["features"] > 20, d["texts"] > 0)' <"$work/day.json")"
"$tarnwick" charts render --tile "$tile" --scheme night --out "$work/night.png" >/dev/null
cmp -s "$work/day.png" "$work/night.png" && { echo "FAIL day and night tiles are the same"; failures=$((failures + 1)); }
"$tarnwick" charts render --center=21.46,-157.77 --zoom 15 --size 640x360 --out "$work/view.png" >"$work/view.json"
check "view" "640x360 1" "$(png_size "$work/view.png") $(field 'd["charts"]' <"$work/view.json")"
"$tarnwick" charts render --bbox=-156.7,20.5,-155.9,21.1 --size 300x300 --out "$work/maui.png" >"$work/maui.json"
check "base map only" "300x300 0" "$(png_size "$work/maui.png") $(field 'd["charts"]' <"$work/maui.json")"

for bad in "--tile 3/8/0 --out $work/x.png" "--tile 3/1/1" "--tile 1/0/0 --scheme sepia --out $work/x.png" \
  "--center=21,-157 --out $work/x.png" "--bbox 1,2,3 --size 10x10 --out $work/x.png" \
  "--tile 1/0/0 --center=1,1 --zoom 2 --out $work/x.png" "--size 0x10 --center=1,1 --zoom 2 --out $work/x.png"; do
  # shellcheck disable=SC2086
  "$tarnwick" charts render $bad >/dev/null 2>"$work/bad.err"
  check "refused: $bad" 2 $?
  grep -q "tarnwick charts render" "$work/bad.err" || { echo "FAIL no message for: $bad"; failures=$((failures + 1)); }
done
[ -e "$work/x.png" ] && { echo "FAIL a refused command wrote a file"; failures=$((failures + 1)); }

# A raster chart in the same tiles, reprojected, in the scheme's palette.
"$tarnwick" charts add "$data/bsb/12205_7.KAP" >/dev/null 2>"$work/kap.err" || echo "FAIL add KAP: $(cat "$work/kap.err")"
middle=$("$tarnwick" charts list | grep 12205_7 | field '"%.5f,%.5f" % ((d["extent"]["south"] + d["extent"]["north"]) / 2, (d["extent"]["west"] + d["extent"]["east"]) / 2)')
"$tarnwick" charts render --center="$middle" --zoom 14 --size 256x256 --scheme day --out "$work/kap-day.png" >"$work/kap.json"
check "raster drawn" "1" "$(field 'd["charts"]' <"$work/kap.json")"
"$tarnwick" charts render --center="$middle" --zoom 14 --size 256x256 --scheme night --out "$work/kap-night.png" >/dev/null
cmp -s "$work/kap-day.png" "$work/kap-night.png" && { echo "FAIL raster day and night are the same"; failures=$((failures + 1)); }

# The running program serves the tile route.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$tarnwick" settings set Network_HttpPort "$port" >/dev/null
"$tarnwick" run --no-browser --accept-disclaimer >"$work/run.out" 2>&1 &
program=$!
for _ in $(seq 1 150); do curl -sf "http://127.0.0.1:$port/api/charts/progress" >/dev/null 2>&1 && break; sleep 0.2; done
curl -s -D "$work/headers" -o "$work/http.png" -w '%{http_code} %{content_type}' \
  "http://127.0.0.1:$port/api/charts/tile/$tile.png?scheme=day" >"$work/status"
check "http tile" "200 image/png 256x256" "$(cat "$work/status") $(png_size "$work/http.png" 2>/dev/null)"
[ "$(cat "$work/status")" = "000 " ] && tail -5 "$work/run.out"
etag=$(grep -i '^etag:' "$work/headers" | cut -d' ' -f2 | tr -d '\r')
check "not modified" "304" "$(curl -s -o /dev/null -w '%{http_code}' -H "If-None-Match: $etag" "http://127.0.0.1:$port/api/charts/tile/$tile.png?scheme=day")"
check "night differs" "200" "$(curl -s -o "$work/http-night.png" -w '%{http_code}' "http://127.0.0.1:$port/api/charts/tile/$tile.png?scheme=night")"
cmp -s "$work/http.png" "$work/http-night.png" && { echo "FAIL http day and night are the same"; failures=$((failures + 1)); }
check "bad tile" "400" "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/api/charts/tile/2/9/0.png")"
ls "$work/cache"/tarnwick-ecs/tiles/*/DAY/16 >/dev/null 2>&1 || { echo "FAIL no tiles on disk under the cache folder"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "charts_render: all checks passed"
exit "$failures"
