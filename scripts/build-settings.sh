# Sourced by the scripts that build (demo.sh, test.sh, .ci/run): one
# configuration of the build folder for all of them, so that the demo and the
# test command share every object, and one job count.
#
#   ORVANE_BUILD_DIR  the build folder (default: build)
#   ORVANE_JOBS       parallel compile and test jobs (default: every core)
#   ORVANE_WERROR     ON makes warnings errors (default: OFF; CI sets ON)

orvane_build_dir=${ORVANE_BUILD_DIR:-build}

orvane_jobs=${ORVANE_JOBS:-$(nproc)}
if ! [[ $orvane_jobs =~ ^[1-9][0-9]*$ ]]; then
  echo "ORVANE_JOBS must be a whole number of jobs from 1 up; it is '$orvane_jobs'" >&2
  exit 2
fi

case "${ORVANE_WERROR:-OFF}" in
  ON|on|1|YES|yes|TRUE|true) orvane_werror=ON ;;
  OFF|off|0|NO|no|FALSE|false|"") orvane_werror=OFF ;;
  *) echo "ORVANE_WERROR must be ON or OFF; it is '$ORVANE_WERROR'" >&2; exit 2 ;;
esac

# orvane_configure DIR [CMAKE OPTIONS...]: the project's one configuration.
orvane_configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR="$orvane_werror" "$@" >/dev/null
}
