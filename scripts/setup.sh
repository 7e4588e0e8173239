#!/usr/bin/env bash
# Installs what the build, the tests and the fuzz targets need. Safe to run again;
# does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config mold
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libstb-dev
  libcurl4-openssl-dev libsndfile1-dev
  libsvgpp-dev libboost-dev
  libfontconfig-dev libfreetype-dev
  woff2 fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The editor's fonts: two weights of a pinned npm release of the Iosevka web
# fonts, decoded to TrueType into the git-ignored .cache/fonts/; the build
# copies them into the bundle's resources.
root=$(cd "$(dirname "$0")/.." && pwd)
fonts_dir="$root/.cache/fonts"
iosevka_package="@fontsource/iosevka@5.3.0"
iosevka_fonts=(iosevka-latin-400-normal iosevka-latin-700-normal)
fonts_missing=0
for f in "${iosevka_fonts[@]}"; do
  [ -f "$fonts_dir/$f.ttf" ] || fonts_missing=1
done
# Debian's npm package brings Node.js with it.
if [ $fonts_missing -eq 1 ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ $fonts_missing -eq 1 ]; then
  echo "setup: staging the editor fonts from $iosevka_package into $fonts_dir"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  tarball=$(cd "$work" && npm pack "$iosevka_package" --silent | tail -n 1)
  mkdir -p "$fonts_dir"
  for f in "${iosevka_fonts[@]}"; do
    tar -xzf "$work/$tarball" -C "$work" "package/files/$f.woff2"
    woff2_decompress "$work/package/files/$f.woff2" >/dev/null
    # Moved in whole, so an interrupted run never leaves a partial font behind.
    mv "$work/package/files/$f.ttf" "$fonts_dir/$f.ttf"
  done
fi
