#!/usr/bin/env bash
# Installs what the build, the tests and the fuzz targets need. Safe to run again;
# does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libstb-dev
  libcurl4-openssl-dev libsndfile1-dev
  libsvgpp-dev libboost-dev
  woff2
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
