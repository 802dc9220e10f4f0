ardour {
    ["type"]    = "dsp",
    name        = "Velora Test Notes",
    category    = "Utility",
    license     = "MIT",
    author      = "Velora",
    description = [[Plays a fixed phrase from the transport position, so that a session needs no MIDI region.]]
}

function dsp_ioconfig ()
    return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } }
end

-- sample, status, key, velocity; compare_exports.py writes the same phrase as a MIDI file.
local phrase = {
    { 0, 0x90, 60, 100 }, { 4410, 0x90, 67, 90 }, { 22050, 0x80, 60, 0 }, { 26460, 0x80, 67, 0 },
}

function dsp_run (_, _, n_samples)
    if not Session:transport_rolling () then return end
    local start = Session:transport_sample ()
    local count = 1
    for _, e in ipairs (phrase) do
        if e[1] >= start and e[1] < start + n_samples then
            midiout[count] = { time = e[1] - start + 1, data = { e[2], e[3], e[4] } }
            count = count + 1
        end
    end
end
