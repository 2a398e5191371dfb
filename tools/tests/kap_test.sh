#!/usr/bin/env bash
# End-to-end: `tarnwick kap` decodes every test panel exactly as GDAL's BSB
# driver does and the libbsb sample as its golden image, converts pixels to
# positions within a pixel of gdaltransform inside each chart's border and
# back, draws a Mercator tile as gdalwarp reprojects the panel, describes
# panels and chart sets, and refuses bad files and arguments.
set -u
tarnwick="$1"
data="$TW_SOURCE_DIR/charts/tests/data/bsb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
json() {  # json EXPRESSION: evaluates EXPRESSION over the JSON document `d` on stdin
  python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"
}

panels="12205_12.KAP 12205_7.KAP 12205_8.KAP 14988_2.KAP australia4c.kap"
for panel in $panels; do
  "$tarnwick" kap decode "$data/$panel" "$work/ours.ppm"
  check "$panel decode exit" 0 $?
  gdal_translate -q -of PNM -expand rgb "$data/$panel" "$work/gdal.ppm"
  cmp -s "$work/ours.ppm" "$work/gdal.ppm"
  check "$panel decode equals GDAL's" 0 $?
done

"$tarnwick" kap decode "$data/australia4c.kap" "$work/ours.png"
gdal_translate -q -of PNM "$work/ours.png" "$work/ours_png.ppm"
gdal_translate -q -of PNM "$data/australia4c_decoded.png" "$work/golden.ppm"
cmp -s "$work/ours_png.ppm" "$work/golden.ppm"
check "PNG decode equals the golden image" 0 $?

# Pixel -> position on a 41 x 41 grid over each panel, compared inside its PLY/
# border (where the chart is drawn) with gdaltransform; then back to pixels.
transform_check() {  # transform_check PANEL
  python3 - "$tarnwick" "$1" <<'EOF'
import json, math, subprocess, sys
tarnwick, path = sys.argv[1], sys.argv[2]
info = json.loads(subprocess.run([tarnwick, "kap", "info", path], capture_output=True, text=True).stdout)
w, h, mpp = info["width"], info["height"], info["georeferencing"]["mercatorMetresPerPixel"]
border = [(p[1], p[0]) for p in info["border"]]
def inside(x, y):
    c = False
    for i in range(len(border)):
        (x1, y1), (x2, y2) = border[i], border[i - 1]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            c = not c
    return c
grid = [(i * w / 40 + 0.5, j * h / 40 + 0.5) for i in range(41) for j in range(41)]
text = "".join(f"{x} {y}\n" for x, y in grid)
ours = subprocess.run([tarnwick, "kap", "transform", path], input=text, capture_output=True, text=True).stdout.split()
gdal = subprocess.run(["gdaltransform", "-t_srs", "EPSG:4326", path], input=text, capture_output=True, text=True).stdout.split()
worst, count = 0.0, 0
for k in range(len(grid)):
    lon, lat = float(ours[2 * k]), float(ours[2 * k + 1])
    glon, glat = float(gdal[3 * k]), float(gdal[3 * k + 1])
    if not inside(lon, lat):
        continue
    count += 1
    metres = math.hypot((lon - glon) * math.cos(math.radians(lat)), lat - glat) * 111320
    worst = max(worst, metres / (mpp * math.cos(math.radians(lat))))
back = subprocess.run([tarnwick, "kap", "transform", "--inverse", path],
                      input="".join(f"{ours[2 * k]} {ours[2 * k + 1]}\n" for k in range(len(grid))),
                      capture_output=True, text=True).stdout.split()
trip = max(math.hypot(float(back[2 * k]) - x, float(back[2 * k + 1]) - y) for k, (x, y) in enumerate(grid))
print("ok" if count > 100 and worst < 1.0 and trip < 0.5 else f"points {count} worst {worst:.3f} px, round trip {trip:.3f} px")
EOF
}
for panel in $panels; do
  check "$panel transform within a pixel of gdaltransform" ok "$(transform_check "$data/$panel")"
done

check "panel info" "536 LITTLE RIVER EXTENSION Raster Chart (1:80,000) polynomial 8 0.0" \
  "$("$tarnwick" kap info "$data/12205_12.KAP" | json 'd["title"], d["georeferencing"]["method"], len(d["palettes"]), d["datumShift"]["lat"]')"
check "fitted panel info" "reference-fit 1 +proj=lcc" \
  "$("$tarnwick" kap info "$data/australia4c.kap" | json 'd["georeferencing"]["method"], d["georeferencing"]["order"], d["georeferencing"]["plane"][:9]')"
check "chart set info" "BSB 11 3 12205_12.KAP" \
  "$("$tarnwick" kap info "$data/12205.BSB" | json 'd["kind"], len(d["panels"]), sum("chart" in p for p in d["panels"]), d["panels"][4]["fileName"]')"

"$tarnwick" kap decode "$data/12205_12.KAP" "$work/night.ppm" --palette NGT
check "night palette exit" 0 $?
check "night palette differs" 1 "$(cmp -s "$work/night.ppm" "$work/ours.ppm"; echo $?)"

# A zoom-13 tile over the middle of a panel against gdalwarp's reprojection to
# EPSG:3395 of the same box: the same palette entry wherever both drew (the
# two georeference from different fits, so pixels on colour edges may differ;
# a tile two pixels off agrees at about 84 %).
tile_check() {
  python3 - "$tarnwick" "$data/12205_12.KAP" "$work" <<'EOF'
import json, math, subprocess, sys
tarnwick, path, work = sys.argv[1:]
lon, lat = map(float, subprocess.run([tarnwick, "kap", "transform", path], input="1150 615\n",
                                     capture_output=True, text=True).stdout.split())
a, e = 6378137.0, 0.0818191908426215
world = 2 * math.pi * a
side = world / 2 ** 13
phi = math.radians(lat)
y = a * math.log(math.tan(math.pi / 4 + phi / 2) * ((1 - e * math.sin(phi)) / (1 + e * math.sin(phi))) ** (e / 2))
tx, ty = int((a * math.radians(lon) + world / 2) / side), int((world / 2 - y) / side)
west, north = -world / 2 + tx * side, world / 2 - ty * side
drawn = int(subprocess.run([tarnwick, "kap", "tile", path, "13", str(tx), str(ty), f"{work}/tile.png"],
                           capture_output=True, text=True).stdout)
subprocess.run(["gdalwarp", "-q", "-overwrite", "-t_srs", "EPSG:3395", "-te", str(west), str(north - side),
                str(west + side), str(north), "-ts", "256", "256", "-r", "near", "-dstnodata", "255",
                path, f"{work}/warp.tif"], check=True)
for args in (["-b", "1", "-b", "2", "-b", "3", f"{work}/tile.png", f"{work}/tile.ppm"],
             ["-b", "4", f"{work}/tile.png", f"{work}/alpha.pgm"], [f"{work}/warp.tif", f"{work}/warp.pgm"]):
    subprocess.run(["gdal_translate", "-q", "-of", "PNM"] + args, check=True)
def pixels(name):
    data = open(f"{work}/{name}", "rb").read()
    return data[len(data) - 256 * 256 * (3 if name.endswith("ppm") else 1):]
rgb, alpha, warp = pixels("tile.ppm"), pixels("alpha.pgm"), pixels("warp.pgm")
info = json.loads(subprocess.run([tarnwick, "kap", "info", path], capture_output=True, text=True).stdout)
day = {tuple(entry[1:]): entry[0] - 1 for entry in info["palettes"]["DAY"]}
both = same = 0
for k in range(256 * 256):
    if alpha[k] and warp[k] != 255:
        both += 1
        same += day.get(tuple(rgb[3 * k:3 * k + 3])) == warp[k]
print("ok" if drawn > 30000 and both > 30000 and same >= 0.985 * both else f"drawn {drawn} both {both} same {same}")
EOF
}
check "tile against gdalwarp" ok "$(tile_check)"
"$tarnwick" kap tile "$data/12205_12.KAP" 13 0 0 "$work/empty.png" >"$work/count"
check "tile away from the chart" 0 "$(cat "$work/count")"
"$tarnwick" kap tile "$data/12205_12.KAP" 3 8 0 "$work/bad.png" >/dev/null 2>&1
check "tile outside the zoom level exit" 1 $?

printf 'BSB/RA=2,2\nno IFM here\n' >"$work/bad.kap"
check "invalid KAP" "tarnwick kap: $work/bad.kap: This is not a valid BSB chart (no IFM/ (bits per pixel) in the header)" \
  "$("$tarnwick" kap info "$work/bad.kap" 2>&1)"
check "missing file" "tarnwick kap: $work/none.kap: Cannot open this file. (No such file or directory)" \
  "$("$tarnwick" kap info "$work/none.kap" 2>&1)"
check "missing palette" "tarnwick kap: $data/australia4c.kap: the chart has no DAY palette" \
  "$("$tarnwick" kap decode "$data/australia4c.kap" "$work/x.ppm" --palette DAY 2>&1)"
"$tarnwick" kap decode "$data/australia4c.kap" "$work/x.gif" >/dev/null 2>&1
check "bad output kind exit" 1 $?
err=$(printf '10 20\nx y\n' | "$tarnwick" kap transform "$data/australia4c.kap" 2>&1 >/dev/null)
check "bad transform line" "tarnwick kap: line 2: not two numbers: \"x y\" 1" "$err $?"
[ "$failures" -eq 0 ] && echo "kap: all passed"
exit "$failures"
