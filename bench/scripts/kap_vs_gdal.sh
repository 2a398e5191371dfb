#!/bin/bash
# Decoding every row of the largest test KAP panel (12205_8.KAP, 2677 x 1538,
# 4 bits): ours against GDAL's BSB driver (Debian gdal-bin), both ways:
#  - in process: open + every row decoded to RGB (raster_bench, Google
#    Benchmark) vs open + every row read as palette indices through GDAL's
#    Python bindings (python3-gdal; skipped when they are missing);
#  - whole processes, processor time (user + system), best of five:
#    `tarnwick kap decode FILE OUT.ppm` (RGB) vs `gdal_translate -of ENVI`
#    (palette indices).
# usage: bench/scripts/kap_vs_gdal.sh [BUILD_DIR]   (default build/release)
set -eu
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
panel="$root/charts/tests/data/bsb/12205_8.KAP"
command -v gdal_translate >/dev/null || { echo "gdal_translate not found (apt-get install gdal-bin)" >&2; exit 1; }
[ -x "$build/bench/raster_bench" ] || { echo "build $build/bench/raster_bench first (Release)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

best_of_five() {  # best_of_five COMMAND...: least user + system seconds
  local best="" t
  for _ in 1 2 3 4 5; do
    /usr/bin/time -o "$work/time" -f "%U %S" "$@" >/dev/null 2>&1
    t=$(awk '{print $1 + $2}' "$work/time")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

ours_ms=$("$build/bench/raster_bench" --benchmark_filter=BM_KapOpenAndDecodeEveryRowToRgb --benchmark_repetitions=5 \
            --benchmark_report_aggregates_only=true --benchmark_format=json |
          python3 -c 'import json,sys; d=json.load(sys.stdin); print(min(b["cpu_time"] for b in d["benchmarks"] if b.get("aggregate_name")=="median"))')
printf 'panel: %s\n' "$panel"
printf 'in process, open + every row:\n'
printf '  ours (to RGB):              %8.2f ms\n' "$ours_ms"
if /usr/bin/python3 -c 'from osgeo import gdal' 2>/dev/null; then
  gdal_ms=$(/usr/bin/python3 - "$panel" <<'PY'
import sys, time
from osgeo import gdal
gdal.SetCacheMax(0)
best = None
for _ in range(20):
    start = time.process_time()
    ds = gdal.Open(sys.argv[1])
    data = ds.GetRasterBand(1).ReadRaster()
    ds = None
    t = (time.process_time() - start) * 1000
    best = t if best is None or t < best else best
print(f"{best:.2f}")
PY
)
  printf '  GDAL (palette indices):     %8.2f ms (GDAL %s, best of 20)\n' "$gdal_ms" "$(gdal-config --version 2>/dev/null || gdalinfo --version | awk '{print $2}' | tr -d ,)"
  printf '  ratio:                      %8.1f x\n' "$(echo "$gdal_ms / $ours_ms" | bc -l)"
fi
ours_s=$(best_of_five "$build/tarnwick" kap decode "$panel" "$work/ours.ppm")
gdal_s=$(best_of_five gdal_translate -q -of ENVI "$panel" "$work/gdal.raw")
printf 'whole processes (user + system, best of 5):\n'
printf '  tarnwick kap decode (RGB):  %8.3f s\n' "$ours_s"
printf '  gdal_translate (indices):   %8.3f s\n' "$gdal_s"
