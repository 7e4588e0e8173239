#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds and runs every suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build_dir=${ORVANE_BUILD_DIR:-build}
jobs=$(nproc)

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON >/dev/null
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --no-tests=error
