#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Ardour 7 headless, the same session layout twice: a MIDI track with
# velora.so, then one with the LV2 bundle, each with the same factory program
# and the same two changed parameters. The LV2 session, saved and reopened,
# must export the VST 2 session's samples exactly, and so must the LV2 export
# made while the session was being built (preset loaded into the running
# instance by Ardour's Lua thread). That one used to lose notes: Ardour hands
# event sequences whose unit field holds leftover bits, which the plug-in
# refused whole.
# Usage: ardour_lv2_session.sh velora.so velora.lv2
set -euo pipefail

plugin=$(realpath "$1")
bundle=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
program=13  # "14: whispering pebbles": free delay lengths, program 0 is synced
vst_changes="14=0 66=0.3"  # no noise (its generator runs on between notes); another left length
lv2_changes="7=0 33=0.3"   # the same: attack_noise_mix and xdelay_length_l, by place among the controls

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache LXVST_PATH=$work/plugins
export LV2_PATH=$work/lv2-plugins:/usr/lib/lv2
mkdir -p "$LXVST_PATH" "$work/lv2-plugins" "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CONFIG_HOME/ardour7/export"
cp "$plugin" "$LXVST_PATH/velora.so"
cp -r "$bundle" "$work/lv2-plugins/velora.lv2"
# Ardour trusts a scan only if the cache is not older than the file, in whole seconds.
touch -d '2020-01-01 00:00:00' "$LXVST_PATH/velora.so"
cp "$here/velora_test_notes.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"
cp "$here/velora-test.preset" "$XDG_CONFIG_HOME/ardour7/export/"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$LXVST_PATH/velora.so"

. "$here/heap_fault.sh"
run() { timeout 120 "$@" >"$work/log" 2>&1 || { status=$?; cat "$work/log" >&2; heap_fault "$work/log" "$status" "$*"; echo "FAIL (${VELORA_FORMAT:-} session): $*" >&2; exit 1; }; }
session() {  # name, format, changes
  export SESSION_DIR=$work/$1 SESSION_NAME=$1 VELORA_PROGRAM=$program VELORA_FORMAT=$2 VELORA_SET=$3 EXPORT_NAME=live
  run ardour7-lua "$here/new_session.lua"
  # Three seconds of session range (Ardour counts 282240000 superclocks a second).
  sed -i 's|<Locations/>|<Locations><Location id="90000" name="session" start="a0" end="a846720000" flags="IsSessionRange" locked="0" timestamp="0" cue="0"/></Locations>|' \
    "$SESSION_DIR/$SESSION_NAME.ardour"
  run ardour7-lua "$here/build_and_export.lua"
  find "$SESSION_DIR" -maxdepth 1 -name '*.wav' | head -n 1
}
vst=$(session vst LXVST "$vst_changes")
lv2=$(session lv2 LV2 "$lv2_changes")
[[ -n $vst && -n $lv2 ]] || { echo "FAIL: an export is missing"; exit 1; }
run ardour7-export -b float -o "$work/reopened.wav" "$work/lv2" lv2
python3 "$here/compare_exports.py" exact "$vst" "$lv2" "$work/reopened.wav"
