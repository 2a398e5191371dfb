#!/usr/bin/env bash
# Compares a year of tarnwick's highs and lows (and a current station's
# maximum flood and ebb) with @neaps/tide-predictor on @neaps/tide-database,
# both bench-only npm packages. Usage: tides_vs_neaps.sh BUILD_DIR [YEAR]
set -euo pipefail
build=$(cd "${1:?usage: tides_vs_neaps.sh BUILD_DIR [YEAR]}" && pwd)
year=${2:-2024}
here=$(cd "$(dirname "$0")/tides_vs_neaps" && pwd)
(cd "$here" && npm ci --no-audit --no-fund >/dev/null)
node "$here/compare.mjs" --tarnwick "$build/tarnwick" --db "$build/share/tarnwick-ecs/tides/harmonics.db" --year "$year"
