#!/usr/bin/env bash
# Installs the dependencies, builds, and starts the program on its demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exec ./build/release/tarnwick run --demo "$@"
