#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bundle's description against the LV2 schemas Debian installs
# (sord_validate), and as lilv reads it (lv2info): every port, 64 presets.
# Usage: check_description.sh BUNDLE EXPECTED_PORTS
set -euo pipefail
bundle=$1 ports=$2
specs=/usr/lib/lv2
# LV2's own schema bundles only: plug-ins installed beside them are not ours to judge.
schemas=()
for dir in "$specs"/*.lv2; do
  grep -qs 'lv2:binary' "$dir/manifest.ttl" || schemas+=("$dir"/*.ttl)
done
sord_validate "${schemas[@]}" "$bundle"/*.ttl

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(cd "$bundle" && pwd)" "$work/velora.lv2"
info=$(LV2_PATH=$work:$specs lv2info urn:velora:synth)
found_ports=$(grep -c '^	Port [0-9]*:' <<<"$info")
found_presets=$(sed -n '/^	Presets:/,/^$/p' <<<"$info" | grep -c '^	 *[0-9]*: ')
grep -q 'Class: *Instrument' <<<"$info" || { echo "not an instrument:" >&2; head -5 <<<"$info" >&2; exit 1; }
if [[ "$found_ports" != "$ports" || "$found_presets" != 64 ]]; then
  echo "lv2info shows $found_ports ports (expected $ports) and $found_presets presets (expected 64)" >&2
  exit 1
fi
echo "valid; lv2info shows $found_ports ports and $found_presets presets"
