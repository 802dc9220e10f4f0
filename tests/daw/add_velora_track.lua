-- SPDX-License-Identifier: MIT
-- Adds a MIDI track holding Velora to the session and saves it.
-- VELORA_FORMAT picks the plug-in: LXVST (velora.so, the default) or LV2.
local s = assert (load_session (os.getenv ("SESSION_DIR"), os.getenv ("SESSION_NAME")))
local lv2 = os.getenv ("VELORA_FORMAT") == "LV2"
local info = ARDOUR.LuaAPI.new_plugin_info ("Velora", lv2 and ARDOUR.PluginType.LV2 or ARDOUR.PluginType.LXVST)
assert (not info:isnil (), "Velora was not scanned")
local function add_track ()
    s:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
        ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2), true, info, nil, nil, 1, "Velora",
        ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
end
-- The returned track list must be collected before close_session (see build_and_export.lua).
add_track ()
collectgarbage ()
collectgarbage ()
s:save_state ("", false, false, false, false, false)
close_session ()
