#!/usr/bin/env bash
# The run command: installs what is missing, builds the plug-in and auhost,
# makes a short guitar recording and plays it through the default design and
# through a higher-gain design, printing auhost's summaries.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build_dir=${ORVANE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "demo: building the plug-in and auhost (the first build takes a few minutes)"
cmake --build "$build_dir" -j "$(nproc)" --target orvane_component auhost pluck_notes >/dev/null

bundle="$build_dir/Orvane.component"
auhost="$build_dir/host/auhost"
if [ ! -d "$bundle" ]; then
  echo "demo: $bundle was not built" >&2
  exit 1
fi

out_dir="$build_dir/demo"
mkdir -p "$out_dir"
guitar="$out_dir/guitar.wav"
"$build_dir/host/pluck_notes" "$guitar"
echo "demo: wrote a plucked-string guitar phrase to $guitar"

echo
echo "== the default design"
"$auhost" render "$bundle" "$guitar" "$out_dir/default.wav"

echo
echo "== a higher-gain design (scripts/demo/HighGain.orv)"
"$auhost" render "$bundle" "$guitar" "$out_dir/high_gain.wav" --design scripts/demo/HighGain.orv

echo
echo "demo: listen to $out_dir/guitar.wav (dry), $out_dir/default.wav and $out_dir/high_gain.wav"
