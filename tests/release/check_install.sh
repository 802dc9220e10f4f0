#!/usr/bin/env bash
# `cmake --install` into a fresh prefix installs exactly velora-host into
# bin/ and velora.so into lib/vst/, and the installed host finds the plug-in.
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
diff -u <(printf '%s\n' bin/velora-host lib/vst/velora.so) <(cd "$work/prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
"$work/prefix/bin/velora-host" programs | grep -q '1: crystal pad'
echo "1 passed, 0 failed"
