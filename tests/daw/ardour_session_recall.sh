#!/usr/bin/env bash
# Ardour 7 saves a VST 2 plug-in without chunks as its parameter values and,
# on opening the session, sets them one by one in index order onto a fresh
# instance that holds program 0. This builds a session headless, selects a
# program whose delay mode differs from program 0's, changes two values,
# exports, saves, opens the session again and exports once more: the two
# exports must be the same, and velora-host must render the same sound.
# Usage: ardour_session_recall.sh velora.so velora-host
set -euo pipefail

plugin=$(realpath "$1")
host=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
program=13            # "14: whispering pebbles": free delay lengths, program 0 is synced
changes="14=0 66=0.3" # no noise, whose generator runs on between notes; another left length

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Ardour's settings, plug-in cache and scripts stay inside the work folder.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache LXVST_PATH=$work/plugins
mkdir -p "$LXVST_PATH" "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CONFIG_HOME/ardour7/export"
cp "$plugin" "$LXVST_PATH/velora.so"
# Ardour trusts a scan only if the cache is not older than the file, in whole seconds.
touch -d '2020-01-01 00:00:00' "$LXVST_PATH/velora.so"
cp "$here/velora_test_notes.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"
cp "$here/velora-test.preset" "$XDG_CONFIG_HOME/ardour7/export/"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$LXVST_PATH/velora.so"

export SESSION_DIR=$work/session SESSION_NAME=recall VELORA_PROGRAM=$program VELORA_SET=$changes EXPORT_NAME=live
. "$here/heap_fault.sh"
run() { timeout 120 "$@" >"$work/log" 2>&1 || { status=$?; cat "$work/log"; heap_fault "$work/log" "$status" "$*"; echo "FAIL: $*"; exit 1; }; }
run ardour7-lua "$here/new_session.lua"
# Three seconds of session range (Ardour counts 282240000 superclocks a second).
sed -i 's|<Locations/>|<Locations><Location id="90000" name="session" start="a0" end="a846720000" flags="IsSessionRange" locked="0" timestamp="0" cue="0"/></Locations>|' \
  "$SESSION_DIR/$SESSION_NAME.ardour"
run ardour7-lua "$here/build_and_export.lua"
live=$(find "$SESSION_DIR" -maxdepth 1 -name '*.wav' | head -n 1)
[[ -n $live ]] || { echo "FAIL: no export before saving"; exit 1; }
run ardour7-export -b float -o "$work/reopened.wav" "$SESSION_DIR" "$SESSION_NAME"

python3 "$here/compare_exports.py" midi "$work/phrase.mid"
sets=()
for change in $changes; do sets+=(--set "$change"); done
"$host" --plugin "$plugin" render "$work/phrase.mid" "$work/host.wav" --program "$program" "${sets[@]}" \
  --tail 2.4 --format float >/dev/null
python3 "$here/compare_exports.py" compare "$live" "$work/reopened.wav" "$work/host.wav"
