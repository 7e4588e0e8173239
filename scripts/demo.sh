#!/usr/bin/env bash
# The run command: installs what is missing, builds the plug-in and auhost,
# makes a short guitar recording and plays it through the default design and
# through a higher-gain design, printing auhost's summaries.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-settings.sh

scripts/setup.sh

build_dir=$orvane_build_dir
orvane_configure "$build_dir"
echo "demo: building the plug-in and auhost (the first build takes a few minutes)"
build_log="$build_dir/demo-build.log"
if ! cmake --build "$build_dir" -j "$orvane_jobs" --target orvane_component auhost pluck_notes >"$build_log" 2>&1; then
  echo "demo: the build failed; the end of its output ($build_log has all of it):" >&2
  tail -n 40 "$build_log" >&2
  exit 1
fi

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
