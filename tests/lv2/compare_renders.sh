#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders every render scenario, and the scenes below (tempo changes at three
# rates, a rate below the converter), through velora-host (VST 2) and
# velora-lv2-render (the LV2 bundle), and fails on any scenario whose two
# 32-bit float WAV files differ.
# Usage: compare_renders.sh VELORA_HOST VELORA_SO LV2_RENDER BUNDLE SCENARIOS WORK
set -euo pipefail
host=$1 plugin=$2 lv2render=$3 bundle=$4 scenarios=$5 work=$6
mkdir -p "$work"

extra() {
  for rate in 44100 48000 96000; do
    echo "tempo_changes_$rate tempo_changes.mid --program 0 --rate $rate --tail 2"
    echo "tempo_changes_free_$rate tempo_changes.mid --program 13 --rate $rate --set 99=0 --tail 1"
  done
  echo "sync_125bpm_48k keys_125bpm.mid --program 0 --rate 48000 --tail 1"
  echo "learn_96k learn.mid --program 0 --rate 96000 --set 98=1 --set 78=0.2 --tail 1"
  echo "keys_11k keys.mid --program 5 --rate 11025 --tail 1"  # below the converter: straight at the host's rate
}

failed=0 count=0
while read -r name midi options; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  # The LV2 host picks presets, not programs, and leaves the FPU as it is.
  lv2options=$(sed -e 's/--program/--preset/' -e 's/--x87-precision [0-9]*//' <<<"$options")
  # shellcheck disable=SC2086
  "$host" --plugin "$plugin" render "$scenarios/$midi" "$work/$name.vst.wav" --format float $options >/dev/null
  # shellcheck disable=SC2086
  "$lv2render" --bundle "$bundle" "$scenarios/$midi" "$work/$name.lv2.wav" --format float $lv2options
  count=$((count + 1))
  if ! cmp -s "$work/$name.vst.wav" "$work/$name.lv2.wav"; then
    echo "$name: the LV2 render differs from the VST 2 render ($(cmp "$work/$name.vst.wav" "$work/$name.lv2.wav" | head -1))" >&2
    failed=1
  fi
done < <(cat "$scenarios/list.txt"; extra)
((failed == 0)) && echo "$count scenarios render identically through LV2 and VST 2"
exit $failed
