-- An empty session at 44.1 kHz; its session range is added to the file afterwards.
local s = assert (create_session (os.getenv ("SESSION_DIR"), os.getenv ("SESSION_NAME"), 44100))
s:save_state ("", false, false, false, false, false)
close_session ()
