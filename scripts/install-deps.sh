#!/usr/bin/env bash
# Installs every Debian package the project builds, tests or runs with.
# Run as root (or through sudo) on Debian 12.
set -euo pipefail

packages=(
  # Toolchain and build
  build-essential g++ clang cmake ninja-build pkg-config git curl
  # Test and benchmark frameworks
  libgtest-dev libgmock-dev libbenchmark-dev
  # Reference tools for comparisons (bench/scripts, test reference values)
  proj-bin libproj-dev gpsd-clients
  # GDAL's S-57 driver, the oracle of the S-57 reader's tests and benchmarks
  gdal-bin
  # GRIB reference reader (tests, bench) and the bzip2 tool of the GRIB fixtures
  libeccodes-tools libeccodes-dev bzip2
  # Libraries
  libsqlite3-dev sqlite3
  zlib1g-dev libminizip-dev libbz2-dev
  libtiff-dev libgeotiff-dev
  libpolyclipping-dev
  nlohmann-json3-dev
  libcpp-httplib-dev libssl-dev libbrotli-dev
  libcairo2-dev
  # Chart text: fontconfig and FreeType under Cairo, and the font they find
  libfontconfig1-dev libfreetype-dev fonts-dejavu-core
  libxml2-dev
  # World coastline: GSHHG shorelines (LGPL) and the netCDF reader of the converter
  gmt-gshhg-low gmt-gshhg-high libnetcdf-dev
  # Tides: the public-domain harmonics file and the library that reads it
  xtide-data libtcd-dev
  # Independent GPX reader for the navigation-object tests
  gpsbabel
  # Run time: spoken alerts
  espeak-ng
  # Browser for the main window's browser tests (driven headless)
  chromium
)
# Node.js and npm build the browser front end; Debian's only when none is installed.
if ! command -v node >/dev/null 2>&1; then packages+=(nodejs npm); fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The browser front end's packages, exactly as locked.
(cd "$(dirname "$0")/../web" && npm ci --no-audit --no-fund)
