#!/usr/bin/env bash
# Renders every scenario as 32-bit float WAV and compares its SHA-256 with the
# stored one. With --update as sixth argument, rewrites the stored hashes.
set -euo pipefail
host=$1 plugin=$2 scenarios=$3 work=$4 mode=${5:-check}
mkdir -p "$work"
stored="$scenarios/hashes.txt"
actual="$work/hashes.txt"
: >"$actual"
while read -r name midi options; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  # shellcheck disable=SC2086
  "$host" --plugin "$plugin" render "$scenarios/$midi" "$work/$name.wav" --format float $options >/dev/null
  echo "$name $(sha256sum "$work/$name.wav" | cut -d' ' -f1)" >>"$actual"
done <"$scenarios/list.txt"

if [[ "$mode" == --update ]]; then
  cp "$actual" "$stored"
  echo "stored $(wc -l <"$stored") hashes in $stored"
  exit 0
fi
if diff -u "$stored" "$actual"; then
  echo "$(wc -l <"$actual") scenarios render exactly as stored"
else
  echo "rendered output changed (see the diff above); if deliberate, rerun with --update" >&2
  exit 1
fi
