-- Second half of vst3-session-check.lua: the saved project restores the plug-in and its state.
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session("/tmp/vellicor-ardour", "check")
assert(s, "no session")
for r in s:get_routes():iter() do
  local p = r:nth_plugin(0)
  if not p:isnil() then
    print(r:name(), p:name(), "Input Gain after reload:", ARDOUR.LuaAPI.get_processor_param(p, 0))
  end
end
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(1000000)
print("rolled to sample:", s:transport_sample())
close_session()
