-- Makes an Ardour session with Vellicor as VST3, VST2 and LV2 on three stereo tracks, for opening
-- their editors in Ardour's window. Run through ardour-editor-check.sh.
local dir = arg and arg[1] or "/tmp/vellicor-ardour-editor"
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session(dir .. "/session", "editor", 48000)
assert(s, "could not create a session")
local function add(name, kind, id)
  local track = Session:new_audio_track(2, 2, nil, 1, name, ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true):front()
  local proc = ARDOUR.LuaAPI.new_plugin(Session, id or "Vellicor", kind, "")
  assert(not proc:isnil(), "Vellicor (" .. name .. ") not found: scan first")
  assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "could not insert the plug-in")
end
add("VST3", ARDOUR.PluginType.VST3)
add("VST2", ARDOUR.PluginType.LXVST)
add("LV2", ARDOUR.PluginType.LV2, "https://www.ovidane.com/vellicor")
Session:save_state("", false, false, false, false, false)
close_session()
print("session in " .. dir .. "/session")
