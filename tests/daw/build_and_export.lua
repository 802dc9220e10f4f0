-- A MIDI track with the note phrase and Velora; selects a factory program
-- through Ardour's preset list, changes parameters, exports the session
-- range while the session is still open, then saves it. VELORA_FORMAT picks
-- the plug-in: LXVST (velora.so, the default) or LV2 (velora.lv2); VELORA_SET
-- names parameters by Ardour's number: the VST 2 index, or for LV2 the
-- control port's place among the control ports.
local dir, name = os.getenv ("SESSION_DIR"), os.getenv ("SESSION_NAME")
local program = tonumber (os.getenv ("VELORA_PROGRAM"))
local lv2 = os.getenv ("VELORA_FORMAT") == "LV2"
local s = assert (load_session (dir, name))
-- Ardour's Lua references (the track list above all) must be gone before
-- close_session: collected later, their destructors run on the deleted
-- session and corrupt the heap (valgrind: ~IO reading freed Session memory).
local function build_and_export ()
    local info = ARDOUR.LuaAPI.new_plugin_info ("Velora", lv2 and ARDOUR.PluginType.LV2 or ARDOUR.PluginType.LXVST)
    assert (not info:isnil (), "Velora was not scanned")
    local tracks = s:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
        ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2), true, info, nil, nil, 1, "Velora",
        ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
    local track = tracks:front ()
    local notes = ARDOUR.LuaAPI.new_luaproc (s, "Velora Test Notes")
    assert (not notes:isnil (), "the note generator was not found")
    assert (track:add_processor_by_index (notes, 0, nil, true) == 0)
    local velora = track:nth_plugin (1)
    assert (velora:display_name () == "Velora")
    local plugin = velora:to_insert ():plugin (0)
    local chosen
    for preset in plugin:get_info ():get_presets (false):iter () do
        local uri = lv2 and string.format ("urn:velora:synth#preset_%02d", program)
            or string.format ("VST:1265784428:%04d", program)
        if preset.uri == uri then chosen = preset end
    end
    assert (chosen and plugin:load_preset (chosen), "program not offered")
    for change in os.getenv ("VELORA_SET"):gmatch ("[^ ]+") do
        local index, value = change:match ("(%d+)=([%d.]+)")
        assert (ARDOUR.LuaAPI.set_processor_param (velora, tonumber (index), tonumber (value)))
    end
    local range = s:locations ():session_range_location ()
    local export = s:simple_export ()
    export:set_name (os.getenv ("EXPORT_NAME"))
    export:set_folder (dir)
    export:set_range (range:start ():samples (), range:_end ():samples ())
    assert (export:set_preset ("5e1f0a3c-7b2d-4c11-9a4e-0d7e2f6a9b31"), "export preset missing")
    assert (export:run_export (), "export failed")
end
build_and_export ()
collectgarbage ()
collectgarbage ()
s:save_state ("", false, false, false, false, false)
close_session ()
