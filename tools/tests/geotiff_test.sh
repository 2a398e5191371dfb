#!/usr/bin/env bash
# End-to-end: `tarnwick geotiff` describes each test image, converts pixels to
# positions as gdaltransform does (EPSG:4326, 3857, UTM on NAD27, and
# user-defined Lambert, Mercator and UTM), draws Mercator tiles as gdalwarp
# reprojects a palette chart and an RGB image, and refuses bad files.
set -u
tarnwick="$1"
data="$TW_SOURCE_DIR/charts/tests/data/geotiff"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
failures=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; failures=$((failures + 1)); fi
}
json() {  # json EXPRESSION: evaluates EXPRESSION over the JSON document `d` on stdin
  python3 -c "import json,sys; d=json.load(sys.stdin); g=d['georeferencing']; print($1)"
}

info() { "$tarnwick" geotiff info "$data/$1" | json "$2"; }
check "palette Lambert" "palette 256 False tiepoint and scale +proj=lcc" \
  "$(info Sample.tiff 'd["photometric"], d["paletteEntries"], d["layout"]["tiled"], g["rasterToModel"], g["crs"][:9]')"
check "RGB Mercator matrix" "rgb 3 matrix +proj=merc" \
  "$(info CoastwatchSST-geotiff.tif 'd["photometric"], d["samplesPerPixel"], g["rasterToModel"], g["crs"][:10]')"
check "tiled world" "True 256 4326 -180.0 75.0" \
  "$(info world.byte.tif 'd["layout"]["tiled"], d["layout"]["tileWidth"], g["epsg"], g["corners"][0][0], g["corners"][0][1]')"
check "no CRS" "None matrix no coordinate reference system in the GeoKeys" \
  "$(info rotated.tif 'g["crs"], g["rasterToModel"], g["error"]')"

# Pixel -> position on an 11 x 11 grid against gdaltransform, and back.
transform_check() {  # transform_check FILE
  python3 - "$tarnwick" "$1" <<'EOF'
import json, math, subprocess, sys
tarnwick, path = sys.argv[1:]
info = json.loads(subprocess.run([tarnwick, "geotiff", "info", path], capture_output=True, text=True).stdout)
w, h, mpp = info["width"], info["height"], info["georeferencing"]["mercatorMetresPerPixel"]
grid = [(i * w / 10, j * h / 10) for i in range(11) for j in range(11)]
text = "".join(f"{x} {y}\n" for x, y in grid)
ours = subprocess.run([tarnwick, "geotiff", "transform", path], input=text, capture_output=True, text=True).stdout.split()
gdal = subprocess.run(["gdaltransform", "-t_srs", "EPSG:4326", path], input=text, capture_output=True, text=True).stdout.split()
worst = 0.0
for k in range(len(grid)):
    lon, lat, glon, glat = float(ours[2 * k]), float(ours[2 * k + 1]), float(gdal[3 * k]), float(gdal[3 * k + 1])
    dlon = (lon - glon + 180) % 360 - 180
    worst = max(worst, math.hypot(dlon * math.cos(math.radians(lat)), lat - glat) * 111320 / (mpp * math.cos(math.radians(lat))))
inner = [k for k, (x, y) in enumerate(grid) if abs(float(ours[2 * k + 1])) < 80]
back = subprocess.run([tarnwick, "geotiff", "transform", "--inverse", path],
                      input="".join(f"{ours[2 * k]} {ours[2 * k + 1]}\n" for k in inner), capture_output=True, text=True).stdout.split()
trip = max(math.hypot(float(back[2 * n]) - grid[k][0], float(back[2 * n + 1]) - grid[k][1]) for n, k in enumerate(inner))
print("ok" if worst < 0.01 and trip < 0.01 else f"worst {worst:.4f} px, round trip {trip:.4f} px")
EOF
}
for image in Sample.tiff CoastwatchSST-geotiff.tif byte.tif world.byte.tif rgb-byte-tenth.tif epsg3857_crop.tif; do
  check "$image transform as gdaltransform" ok "$(transform_check "$data/$image")"
done

# A tile against gdalwarp's reprojection of the same box to EPSG:3395 (RGBA):
# the same colour wherever both drew, but for pixels whose centres fall on a
# source pixel's edge.
tile_check() {  # tile_check FILE ZOOM LON LAT
  python3 - "$tarnwick" "$@" "$work" <<'EOF'
import math, subprocess, sys
tarnwick, path, zoom, lon, lat, work = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]), sys.argv[6]
a, e = 6378137.0, 0.0818191908426215
world = 2 * math.pi * a
side = world / 2 ** zoom
phi = math.radians(lat)
y = a * math.log(math.tan(math.pi / 4 + phi / 2) * ((1 - e * math.sin(phi)) / (1 + e * math.sin(phi))) ** (e / 2))
tx, ty = int((a * math.radians(lon) + world / 2) / side), int((world / 2 - y) / side)
west, north = -world / 2 + tx * side, world / 2 - ty * side
drawn = int(subprocess.run([tarnwick, "geotiff", "tile", path, str(zoom), str(tx), str(ty), f"{work}/tile.png"],
                           capture_output=True, text=True).stdout)
expanded = subprocess.run(["gdal_translate", "-q", "-of", "VRT", "-expand", "rgb", path, f"{work}/rgb.vrt"],
                          capture_output=True)
source = f"{work}/rgb.vrt" if expanded.returncode == 0 else path  # palette images as RGB
subprocess.run(["gdalwarp", "-q", "-overwrite", "-t_srs", "EPSG:3395", "-te", str(west), str(north - side), str(west + side),
                str(north), "-ts", "256", "256", "-r", "near", "-dstalpha", source, f"{work}/warp.tif"], check=True)
def bands(name, *numbers):  # "mask": the alpha band, or all opaque when there is none
    out = f"{work}/{name}." + ("ppm" if len(numbers) == 3 else "pgm")
    args = sum((["-b", str(n)] for n in numbers), [])
    subprocess.run(["gdal_translate", "-q", "-of", "PNM"] + args + [f"{work}/{name}", out], check=True)
    data = open(out, "rb").read()
    return data[len(data) - 256 * 256 * len(numbers):]
ours, ours_alpha = bands("tile.png", 1, 2, 3), bands("tile.png", "mask")
gdal, gdal_alpha = bands("warp.tif", 1, 2, 3), bands("warp.tif", "mask")
both = sum(1 for k in range(65536) if ours_alpha[k] and gdal_alpha[k])
same = sum(1 for k in range(65536) if ours_alpha[k] and gdal_alpha[k] and ours[3 * k:3 * k + 3] == gdal[3 * k:3 * k + 3])
print("ok" if drawn > 1000 and both > 0.95 * drawn and same >= 0.99 * both else f"drawn {drawn} both {both} same {same}")
EOF
}
check "palette Lambert tile as gdalwarp" ok "$(tile_check "$data/Sample.tiff" 14 -96.2668 40.1058)"
check "RGB Mercator tile as gdalwarp" ok "$(tile_check "$data/CoastwatchSST-geotiff.tif" 6 -89 24.6)"

printf 'not a TIFF at all' >"$work/bad.tif"
"$tarnwick" geotiff info "$work/bad.tif" >/dev/null 2>"$work/err"
check "bad file exit" 1 $?
check "bad file message" "tarnwick geotiff: $work/bad.tif: " "$(head -c $((${#work} + 28)) "$work/err")"
check "unplaced image transform" "tarnwick geotiff: $data/rotated.tif: no georeferencing: no coordinate reference system in the GeoKeys" \
  "$(echo '1 1' | "$tarnwick" geotiff transform "$data/rotated.tif" 2>&1)"
"$tarnwick" geotiff tile "$data/Sample.tiff" 14 -1 0 "$work/x.png" >/dev/null 2>&1
check "bad tile exit" 1 $?

[ "$failures" -eq 0 ] && echo "geotiff: all passed"
exit "$failures"
