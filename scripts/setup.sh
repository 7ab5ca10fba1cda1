#!/usr/bin/env bash
# Installs the Debian packages the build needs (those missing only) and builds into build/.
#   scripts/setup.sh [--packages-only]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make pkg-config libglbinding-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
          libgl-dev libcli11-dev libopenimageio-dev libcairo2-dev libgtest-dev libgmock-dev libbenchmark-dev
          binutils frei0r-plugins-dev help2man python3)
scripts/need-packages.sh "${packages[@]}"
[ "${1:-}" = --packages-only ] && exit 0

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
