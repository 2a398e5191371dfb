#!/usr/bin/env bash
# Makes the small GRIB1 files of wave and current parameters that no public
# GRIB1 sample provides, with ecCodes' grib_filter (Debian libeccodes-tools)
# from the ecCodes regular lat/lon template, and their bzip2 twin:
#   currents_uv.grb      u/v current (WMO parameters 49, 50), 2 times
#   currents_sd.grb      current speed and direction (48, 47), 1 time
#   waves.grb            significant height, primary/wind-wave/swell/secondary
#                        wave parameters (100-110), 2 times
#   global_pressure.grb  mean sea-level pressure (2) from 90°N to 90°S
#   waves.grb.bzz        waves.grb compressed with bzip2
# The values follow simple formulas of the grid indices (below), so tests can
# compute what any point must read.
#
# usage: environment/tests/make_grib_fixtures.sh [OUT_DIR]
#   (default: environment/tests/data/grib/fixtures)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/data/grib/fixtures}
template=$here/data/grib/regular_ll_sfc_grib1.tmpl
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# values NI NJ EXPR: the values of an NI x NJ grid, row by row from the first
# (northern) row, EXPR an awk expression of i (column) and j (row).
values() {
  awk -v ni="$1" -v nj="$2" "BEGIN { for (j = 0; j < nj; j++) for (i = 0; i < ni; i++) \
    printf \"%s%.4f\", (i || j) ? \",\" : \"\", $3 }"
}

# record OUT PARAM STEP NI NJ LAT1 LON1 LAT2 LON2 DI DJ LEVELTYPE EXPR: appends one record.
record() {
  local file=$1 param=$2 step=$3 ni=$4 nj=$5 lat1=$6 lon1=$7 lat2=$8 lon2=$9 di=${10} dj=${11} leveltype=${12}
  # ecCodes writes a constant field (0 bits per value) with its value as the
  # reference value whatever the decimal scale: keep the scale at 0 for those.
  local scale=3
  [[ "${13}" == *i* || "${13}" == *j* ]] || scale=0
  cat >"$work/rules" <<EOF
set centre = 7;
set table2Version = 2;
set indicatorOfParameter = $param;
set indicatorOfTypeOfLevel = $leveltype;
set level = 0;
set dataDate = 20240601;
set dataTime = 0;
set indicatorOfUnitOfTimeRange = 1;
set timeRangeIndicator = 0;
set P1 = $step;
set Ni = $ni;
set Nj = $nj;
set latitudeOfFirstGridPointInDegrees = $lat1;
set longitudeOfFirstGridPointInDegrees = $lon1;
set latitudeOfLastGridPointInDegrees = $lat2;
set longitudeOfLastGridPointInDegrees = $lon2;
set iDirectionIncrementInDegrees = $di;
set jDirectionIncrementInDegrees = $dj;
set decimalScaleFactor = $scale;
set bitsPerValue = 24;
set values = {$(values "$ni" "$nj" "${13}")};
write "$work/one.grb";
EOF
  rm -f "$work/one.grb"
  grib_filter "$work/rules" "$template"
  cat "$work/one.grb" >>"$file"
}

rm -f "$out"/currents_uv.grb "$out"/currents_sd.grb "$out"/waves.grb "$out"/global_pressure.grb "$out"/waves.grb.bzz

# Currents off Brittany, 0.5° grid 10°W..5°W, 50°N..46°N: at step 0 u = 1,
# v = -1 (towards the south-east); at step 6 u = 0, v = 2 (towards the north).
g="11 9 50 -10 46 -5 0.5 0.5 1"
record "$out/currents_uv.grb" 49 0 $g "1.0"
record "$out/currents_uv.grb" 50 0 $g "-1.0"
record "$out/currents_uv.grb" 49 6 $g "0.0"
record "$out/currents_uv.grb" 50 6 $g "2.0"
# Speed 0.5 + 0.1 i m/s, direction 90 + 10 j degrees.
record "$out/currents_sd.grb" 48 0 $g "0.5 + 0.1 * i"
record "$out/currents_sd.grb" 47 0 $g "90 + 10 * j"

# Waves on the same grid at steps 0 and 12: heights grow eastwards and with
# the step, directions turn southwards, periods lengthen.
for step in 0 12; do
  s=$((step / 12))
  record "$out/waves.grb" 100 $step $g "1 + 0.25 * i + $s"
  record "$out/waves.grb" 107 $step $g "270 + 5 * j + 20 * $s"
  record "$out/waves.grb" 108 $step $g "8 + 0.5 * j + $s"
  record "$out/waves.grb" 101 $step $g "260 + 5 * j"
  record "$out/waves.grb" 102 $step $g "0.5 + 0.1 * i"
  record "$out/waves.grb" 103 $step $g "5 + 0.2 * i"
  record "$out/waves.grb" 104 $step $g "300 + 2 * i"
  record "$out/waves.grb" 105 $step $g "2 + 0.1 * j"
  record "$out/waves.grb" 106 $step $g "12 + 0.1 * j"
  record "$out/waves.grb" 109 $step $g "200 + j"
  record "$out/waves.grb" 110 $step $g "6 + 0.1 * i"
done
bzip2 -9 -c "$out/waves.grb" >"$out/waves.grb.bzz"

# A 10° global grid from 90°N to 90°S: pressure 100000 + 100 × row (Pa), so a
# row's latitude can be read back from its value.
record "$out/global_pressure.grb" 2 0 36 19 90 0 -90 350 10 10 102 "100000 + 100 * j"

ls -l "$out"
