#!/usr/bin/env bash
# GDAL's S-57 driver as the oracle: `tarnwick s57 dump` of real cells (the
# NOAA Arctic cell with its 8 updates applied, the NOAA harbour cell, S-64 and
# Inland ENC cells) must give every feature, attribute, vertex and depth that
# ogr2ogr gives. Skipped when GDAL's ogr2ogr is not installed.
set -u
tarnwick="$1"
if ! command -v ogr2ogr >/dev/null 2>&1; then
  echo "SKIP: ogr2ogr (Debian package gdal-bin) is not installed; the GDAL comparison did not run"
  exit 0
fi
here="$TW_SOURCE_DIR/tools/tests"
data="$TW_SOURCE_DIR/charts/tests/data/s57"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
failures=0
for cell in \
  noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000 \
  noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000 \
  s64_2_1_1_power_up/GB4X0000.000 \
  s64_2_1_1_power_up/GB5X01SW.000 \
  s64_2_1_1_power_up/GB5X01SE.000 \
  inland_ienc_test_2.1/exchange_set_TEST_2_1/5I7TEST1.000 \
  inland_ienc_test_2.1/5I7IENC6.000 \
  inland_ienc_2.3_external_files/ENC_ROOT/5I7IN230.000; do
  python3 "$here/s57_gdal_compare.py" "$tarnwick" "$data/$cell" "$TW_SOURCE_DIR/data/S57" ||
    failures=$((failures + 1))
done
[ "$failures" -eq 0 ] && echo "s57 GDAL comparison: all cells agree"
exit "$failures"
