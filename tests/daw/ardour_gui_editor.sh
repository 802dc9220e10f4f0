#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Ardour 7's GUI under an Xvfb of its own whose Xft.dpi is 192: a session
# with a MIDI track holding Velora (velora.so, or the LV2 bundle), opened on
# a JACK dummy server of its own. A double-click on the plug-in in the mixer
# strip opens its editor, which must stand at 200 % (768 x 820); a click on
# "Reverb On" there must reach Ardour, seen in the session file after a save.
# Every step is bounded; Xvfb, jackd and Ardour are stopped on every exit.
# Usage: ardour_gui_editor.sh LXVST|LV2 velora.so velora.lv2 [screenshot-folder]
set -euo pipefail

format=$1
plugin=$(realpath "$2")
bundle=$(realpath "$3")
shots=${4:-}
args=("$@")
here=$(cd "$(dirname "$0")" && pwd)
width=768 height=820 # the editor at 200 %
toggle_x=646 toggle_y=714 # "Reverb On" (314..333 x 353..361 at 100 %), doubled

work=$(mktemp -d)
pids=()
stop_all() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_all EXIT
fail() {
  # JACK's dummy server drops Ardour in about half the runs on a loaded
  # machine ("JACK HALTED"): that says nothing of the plug-in, so up to two
  # more runs.
  local runs=${VELORA_GUI_RUNS:-1}
  if ((runs < 3)) && grep -q 'JACK HALTED' "$work/ardour.log" 2>/dev/null; then
    echo "note ($format): JACK dropped Ardour in run $runs; running once more" >&2
    stop_all
    trap - EXIT
    VELORA_GUI_RUNS=$((runs + 1)) exec "$0" "${args[@]}"
  fi
  echo "FAIL ($format): $*" >&2
  [[ -f $work/ardour.log ]] && tail -n 20 "$work/ardour.log" >&2
  [[ -f $work/jack.log ]] && tail -n 12 "$work/jack.log" >&2
  [[ -n ${DISPLAY:-} ]] && xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null
  if [[ -n $shots ]]; then
    xwd -root -silent >"$shots/ardour-gui-$format-failed.xwd" 2>/dev/null
    cp "${session:-/nonexistent}" "$shots/" 2>/dev/null
  fi
  exit 1
}
# Waits up to $1 seconds for a command to succeed.
wait_for() {
  local limit=$1
  shift
  for _ in $(seq $((limit * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache LXVST_PATH=$work/plugins
export LV2_PATH=$work/lv2-plugins:/usr/lib/lv2
mkdir -p "$LXVST_PATH" "$work/lv2-plugins" "$XDG_CONFIG_HOME/ardour7"
cp "$plugin" "$LXVST_PATH/velora.so"
cp -r "$bundle" "$work/lv2-plugins/velora.lv2"
# Ardour trusts a scan only if the cache is not older than the file, in whole seconds.
touch -d '2020-01-01 00:00:00' "$LXVST_PATH/velora.so"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$LXVST_PATH/velora.so"

export SESSION_DIR=$work/gui SESSION_NAME=gui VELORA_FORMAT=$format
timeout 120 ardour7-lua "$here/new_session.lua" >"$work/lua.log" 2>&1 || fail "no session: $(tail -n 5 "$work/lua.log")"
timeout 120 ardour7-lua "$here/add_velora_track.lua" >"$work/lua.log" 2>&1 ||
  fail "no track: $(tail -n 5 "$work/lua.log")"
session=$SESSION_DIR/$SESSION_NAME.ardour
grep -q 'name="Reverb On"[^>]*value="1"' "$session" || fail "the new session does not hold Reverb On at 1"
# The session's own surface list wins over the configuration's.
sed -i 's|\(<Protocol name="Open Sound Control (OSC)" active=\)"0"|\1"1"|' "$session"
grep -q 'name="Open Sound Control (OSC)" active="1"' "$session" || fail "the session does not switch OSC on"

# No first-run wizard, no memory-lock warning, the JACK engine started
# without asking, the mixer in front, the OSC surface on (it saves on request:
# keys sent without a window manager may not reach the main window).
touch "$XDG_CONFIG_HOME/ardour7/.a7"
# The OSC surface writes its URL only into a file that is already there.
: >"$XDG_CONFIG_HOME/ardour7/osc_url"
cat >"$XDG_CONFIG_HOME/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <ControlProtocols>
    <Protocol name="Open Sound Control (OSC)" active="1"/>
  </ControlProtocols>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="" device="" input-device="" output-device="" sample-rate="44100" buffer-size="1024" n-periods="2" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML
cat >"$XDG_CONFIG_HOME/ardour7/instant.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<instant>
  <Main x="0" y="0" w="1600" h="1000" current-tab="mixer"/>
  <no-memory-warning/>
</instant>
XML

# An LV2 host hands its own user-interface scale to the editor, and that
# wins over the desktop's: Ardour's is its font scale, 200 % here.
if [[ $format == LV2 ]]; then
  cat >"$XDG_CONFIG_HOME/ardour7/ui_config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <UI>
    <Option name="font-scale" value="204800"/>
  </UI>
</Ardour>
XML
fi

# The X server picks a free display; -noreset keeps the resources when a
# client leaves.
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
has_display() { [[ -s $work/display ]]; }
wait_for 10 has_display || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")
echo "Xft.dpi: 192" | xrdb -nocpp -merge
xrdb -query | grep -q 'Xft.dpi:.*192' || fail "Xft.dpi was not set"

export JACK_DEFAULT_SERVER=velora-gui-$$ JACK_NO_AUDIO_RESERVATION=1
# A long client timeout: a loaded machine stalls Ardour while it loads; no
# real-time scheduling, which a test machine may not grant.
jackd -r -t 20000 -n "$JACK_DEFAULT_SERVER" -d dummy -r 44100 -p 1024 >"$work/jack.log" 2>&1 &
pids+=($!)
jack_wait -w -t 10 >/dev/null 2>&1 || fail "jackd did not start"

# The GUI can still ask: answer the engine dialog by connecting to JACK.
timeout 300 ardour -a -n "$session" >"$work/ardour.log" 2>&1 &
ardour=$!
pids=("$ardour" "${pids[@]}")
main_window() { xdotool search --onlyvisible --name "^$SESSION_NAME - Ardour" 2>/dev/null | head -n 1; }
has_main_window() { [[ -n $(main_window) ]]; }
wait_for 90 has_main_window || fail "Ardour's main window did not show"
sleep 3
xdotool windowfocus "$(main_window)" key alt+m # the mixer
sleep 3 # its strips fill in

# The plug-in's entry in the strip's processor box is drawn in Ardour's
# plug-in colour; the first run of it on the left half is our track's.
xwd -root -silent >"$work/screen.xwd"
spot=$("$here/screen_spot.py" "$work/screen.xwd" 6b3232 0 0 1280 1600 || true)
[[ -n $spot ]] || spot=$("$here/screen_spot.py" "$work/screen.xwd" 5f2d2d 0 0 1280 1600 || true)
[[ -n $spot ]] || fail "the plug-in's entry was not found in the mixer"
read -r spot_x spot_y <<<"$spot"
plugin_window() { xdotool search --onlyvisible --name "^Velora: Velora" 2>/dev/null | head -n 1; }
has_plugin_window() { [[ -n $(plugin_window) ]]; }
# A double-click while the mixer is still settling can go unseen: up to three.
for _ in 1 2 3; do
  xdotool mousemove "$spot_x" "$spot_y" click --repeat 2 --delay 80 1
  wait_for 10 has_plugin_window && break
done
has_plugin_window || fail "the plug-in's window did not open (double-click at $spot)"
sleep 2

# The editor is the innermost window of the plug-in's window.
editor=""
while read -r id size; do
  [[ $size == "${width}x${height}" ]] && editor=$id
done < <(xwininfo -tree -id "$(plugin_window)" | sed -n 's/^ *\(0x[0-9a-f]*\) .*: ()  \([0-9]*x[0-9]*\)+.*/\1 \2/p')
if [[ -z $editor ]]; then
  xwininfo -tree -id "$(plugin_window)" >&2
  fail "no ${width}x${height} editor in the plug-in's window"
fi
[[ -n $shots ]] && xwd -silent -id "$editor" >"$shots/ardour-gui-$format-editor.xwd"

xdotool mousemove --window "$editor" "$toggle_x" "$toggle_y" click 1
sleep 1
# Ardour's OSC surface takes the first free port from 3819.
osc_port() { sed -n 's|^osc\.udp://[^:]*:\([0-9]*\)/.*|\1|p' "$XDG_CONFIG_HOME/ardour7/osc_url" 2>/dev/null; }
has_osc() { [[ -n $(osc_port) ]]; }
wait_for 10 has_osc || fail "Ardour's OSC surface did not start"
saved() { grep -q 'name="Reverb On"[^>]*value="0"' "$session"; }
for _ in 1 2 3; do
  "$here/osc_send.py" "$(osc_port)" /save_state
  wait_for 10 saved && break
done
saved || fail "the click on Reverb On did not reach the saved session"

xdotool windowfocus "$(main_window)" key ctrl+q 2>/dev/null || true
ardour_gone() { ! kill -0 "$ardour" 2>/dev/null; }
wait_for 30 ardour_gone || echo "note: Ardour did not quit by itself; stopped"
echo "PASS ($format): the editor opened at ${width} x ${height}; the click reached the session"
