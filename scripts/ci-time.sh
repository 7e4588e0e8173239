#!/usr/bin/env bash
# Times CI as a fresh machine would see it: clones the committed HEAD into a
# temporary folder, runs .ci/run there on two cores with the compiler cache
# off, and prints each stage's build and run time, the total and the load
# average at the start and the end.
#
#   scripts/ci-time.sh [--cores LIST] [--keep] [--log FILE]
#
# --cores picks the processors (taskset's list, default 0,1); --keep leaves the
# clone in place; --log keeps .ci/run's output, each line with its time.
# Exits with .ci/run's own status.
set -euo pipefail

cores=0,1
keep=0
log=""
while [ $# -gt 0 ]; do
  case "$1" in
    --cores) cores=$2; shift 2 ;;
    --cores=*) cores=${1#--cores=}; shift ;;
    --keep) keep=1; shift ;;
    --log) log=$2; shift 2 ;;
    --log=*) log=${1#--log=}; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "ci-time: unknown option $1" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
clone=$(mktemp -d "${TMPDIR:-/tmp}/orvane-ci-time.XXXXXX")
if [ $keep -eq 0 ]; then trap 'rm -rf "$clone"' EXIT; fi
[ -n "$log" ] || log="$clone.log"

git clone --quiet --no-local "$root" "$clone/src"
echo "ci-time: $(git -C "$clone/src" rev-parse --short HEAD) in $clone/src on cores $cores ($(taskset -c "$cores" nproc) jobs), compiler cache off"
load_start=$(cut -d' ' -f1-3 /proc/loadavg)

# Every line of .ci/run's output, prefixed with the seconds since the start.
micros() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }
start=$(micros)
elapsed() { local now=$(micros); printf '%d.%d' $(((now - start) / 1000000)) $(((now - start) / 100000 % 10)); }
set +e
(cd "$clone/src" && CCACHE_DISABLE=1 taskset -c "$cores" .ci/run 2>&1) |
  while IFS= read -r line; do
    printf '%s %s\n' "$(elapsed)" "$line"
  done >"$log"
status=${PIPESTATUS[0]}
set -e
end=$(elapsed)
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# A stage starts at its "== " heading (the test command at 0) and its run at
# ctest's "Test project" line; the next heading (or the end) closes it.
awk -v end="$end" '
  function close_stage(t) {
    if (name == "") return
    build = (run_at == "" ? t : run_at) - begin
    run = (run_at == "" ? 0 : t - run_at)
    printf "%-48s build %6.1f min   run %5.1f min\n", name, build / 60, run / 60
  }
  NR == 1 { name = "test command"; begin = $1; run_at = "" }
  $2 == "==" {
    close_stage($1)
    name = substr($0, index($0, "== ") + 3); begin = $1; run_at = ""
  }
  $2 == "Test" && $3 == "project" && run_at == "" { run_at = $1 }
  END { close_stage(end) }
' "$log"
awk -v end="$end" 'BEGIN { printf "%-48s %6.1f min\n", "total", end / 60 }'
echo "load average at start $load_start, at end $load_end"
echo "ci-time: .ci/run exited with $status; its output, timed: $log"
exit "$status"
