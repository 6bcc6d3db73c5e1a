-- Manual check in a real host (not part of ctest): Ardour's Lua session host with its Dummy backend
-- loads the installed bundle on a stereo track, sets a parameter, rolls the transport and saves.
--   make install      (or copy dist/vellicor.vst3 to ~/.vst3)
--   LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f ~/.vst3/vellicor.vst3
--   rm -rf /tmp/vellicor-ardour && ardour7-lua tests/manual/vst3-session-check.lua
--   ardour7-lua tests/manual/vst3-session-reload.lua
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("/tmp/vellicor-ardour", "check", 48000)
assert(s, "no session")
print("backend:", AudioEngine:current_backend_name(), "rate:", s:nominal_sample_rate())
local track = s:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "Vellicor", ARDOUR.PluginType.VST3, "")
assert(not p:isnil(), "Vellicor (VST3) not found: run the scanner first")
assert(track:add_processor_by_index(p, 0, nil, true) == 0, "cannot add the plug-in")
local plug = p:to_plugininsert():plugin(0)
print("name:", plug:name(), "maker:", plug:maker(), "parameters:", plug:parameter_count())
for i = 0, plug:parameter_count() - 1 do
  local _, pd = plug:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
  print(" ", i, plug:parameter_label(i), pd[2].lower, pd[2].upper)
end
ARDOUR.LuaAPI.set_processor_param(p, 0, 6.0)
print("Input Gain:", ARDOUR.LuaAPI.get_processor_param(p, 0))
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(2000000)
print("rolled to sample:", s:transport_sample())
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(300000)
s:save_state("", false, false, false, false, false)
close_session()
