#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# Usage: scripts/packages.sh build|test
set -euo pipefail

build_packages=(build-essential cmake ninja-build pkg-config libcli11-dev g++-mingw-w64-i686 mingw-w64-i686-dev
                g++-mingw-w64-x86-64 mingw-w64-x86-64-dev zip libfreetype-dev libpng-dev fonts-liberation2 fonts-dejavu-core
                libx11-dev lv2-dev liblilv-dev)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev libsndfile1-dev clang libclang-rt-14-dev wine wine32:i386 wine64 unzip
               xvfb xdotool x11-xserver-utils ardour lilv-utils sordi jalv jackd2)

wanted=("${build_packages[@]}")
if [[ "${1:-build}" == test ]]; then
  wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails the update for one index: try again a little
# later, then install from the indexes apt has (apt-get install says what is
# missing if that is not enough).
for attempt in 1 2 3; do
  apt-get update -q && break
  echo "apt-get update failed (attempt $attempt of 3)" >&2
  ((attempt < 3)) && sleep 20
done
apt-get install -y -q "${missing[@]}"
