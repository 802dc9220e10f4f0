#!/usr/bin/env bash
# `cmake --install` into a fresh prefix installs exactly velora-host into
# bin/, velora.so into lib/vst/ and the LV2 bundle as built into lib/lv2/,
# and the installed host finds the plug-in.
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
bundle=$(cd "$build/velora.lv2" && find . -type f | sed 's|^\./|lib/lv2/velora.lv2/|')
for file in manifest.ttl velora.ttl presets.ttl velora_lv2.so; do
  grep -qx "lib/lv2/velora.lv2/$file" <<<"$bundle" || { echo "the built bundle lacks $file" >&2; exit 1; }
done
diff -u <(printf '%s\n' bin/velora-host lib/vst/velora.so $bundle | LC_ALL=C sort) \
  <(cd "$work/prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
"$work/prefix/bin/velora-host" programs | grep -q '1: crystal pad'
echo "1 passed, 0 failed"
