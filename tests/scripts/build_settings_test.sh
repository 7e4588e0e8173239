#!/usr/bin/env bash
# The README's two commands share one build folder configuration, honour
# ORVANE_JOBS and ORVANE_WERROR, and a failing demo build shows its errors.
# cmake --build and ctest are stubbed (they record their arguments); the
# configure steps run for real into a temporary folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mkdir "$work/stubs"
cat >"$work/stubs/cmake" <<EOF
#!/usr/bin/env bash
if [ "\$1" = "--build" ]; then
  echo "build \$*" >>"$work/calls"
  if [ -n "\${STUB_BUILD_FAILS:-}" ]; then echo "stub.cpp:1:1: error: a planted compile error"; exit 1; fi
  exit 0
fi
echo "configure \$*" >>"$work/calls"
exec "$(command -v cmake)" "\$@"
EOF
printf '#!/usr/bin/env bash\necho "ctest $*" >>"%s/calls"\n' "$work" >"$work/stubs/ctest"
chmod +x "$work/stubs/cmake" "$work/stubs/ctest"

# run SCRIPT [VAR=VALUE...]: the script with the stubs first on the PATH and
# only the settings given (CI exports its own); its output goes to $work/out
# and its status to $status.
run() {
  local script=$1
  shift
  : >"$work/calls"
  set +e
  env -u ORVANE_JOBS -u ORVANE_WERROR PATH="$work/stubs:$PATH" ORVANE_BUILD_DIR="$work/build" "$@" \
    "$root/scripts/$script" >"$work/out" 2>&1
  status=$?
  set -e
}
commands() { grep '"command"' "$work/build/compile_commands.json"; }

# The demo's configuration, then the test command's: the demo targets' compile
# commands stay as they were, so the second command compiles none of them again.
run demo.sh
commands >"$work/demo_commands.json"
run test.sh
commands >"$work/test_commands.json"
cmp -s "$work/demo_commands.json" "$work/test_commands.json" ||
  fail "the test command configures the demo targets differently from the demo"
grep -q 'plugin/orvane' "$work/demo_commands.json" || fail "no compile commands of the demo targets were read"

# The job count reaches every build and every test run.
for script in demo.sh test.sh; do
  run "$script" ORVANE_JOBS=3
  while read -r call; do
    case "$call" in
      build*|ctest*) [[ " $call " == *" -j 3 "* ]] || fail "$script ran '$call' without ORVANE_JOBS=3" ;;
    esac
  done <"$work/calls"
done

# Bad settings are refused before anything runs.
for setting in ORVANE_JOBS=0 ORVANE_JOBS=two ORVANE_WERROR=maybe; do
  run test.sh "$setting"
  [ $status -eq 2 ] && grep -q "${setting%%=*} must be" "$work/out" && [ ! -s "$work/calls" ] ||
    fail "$setting was not refused with its reason (status $status)"
done

# Warnings become errors only when asked.
run test.sh ORVANE_WERROR=ON
grep -q '^ORVANE_WERROR:BOOL=ON$' "$work/build/CMakeCache.txt" || fail "ORVANE_WERROR=ON did not reach the configuration"
run test.sh
grep -q '^ORVANE_WERROR:BOOL=OFF$' "$work/build/CMakeCache.txt" || fail "the test command kept warnings as errors"

# A failing demo build shows the compiler's own words.
run demo.sh STUB_BUILD_FAILS=1
[ $status -ne 0 ] && grep -q "a planted compile error" "$work/out" ||
  fail "a failing demo build did not show its errors (status $status)"

[ $failures -eq 0 ] && echo "build settings: all checks passed"
exit $((failures > 0))
