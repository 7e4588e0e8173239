#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds and runs every
# suite. The build folder, job count and warnings-as-errors come from
# scripts/build-settings.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-settings.sh

scripts/setup.sh

orvane_configure "$orvane_build_dir"
cmake --build "$orvane_build_dir" -j "$orvane_jobs"
ctest --test-dir "$orvane_build_dir" --output-on-failure -j "$orvane_jobs" --no-tests=error
