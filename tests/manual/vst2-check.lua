-- Loads vellicor_vst2.so into a headless Ardour session (dummy backend, sine input), then checks
-- parameter traffic, limiting, state save and reload. Run through vst2-check.sh.
local dir = arg and arg[1] or "/tmp/vellicor-ardour"
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:stop(false)
AudioEngine:set_device_name("Sine Wave") -- a -18 dBFS sine on every capture port
AudioEngine:start(false)

local s = create_session(dir .. "/session", "check", 48000)
assert(s, "could not create a session")
for p in ARDOUR.LuaAPI.list_plugins():iter() do
  if p.type == ARDOUR.PluginType.LXVST then print("found LXVST:", p.name, p.creator, p.path) end
end
local track = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local proc = ARDOUR.LuaAPI.new_plugin(Session, "Vellicor", ARDOUR.PluginType.LXVST, "")
assert(not proc:isnil(), "Vellicor could not be instantiated")
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "could not insert the plug-in")
local plug = proc:to_insert():plugin(0)
print("loaded:", plug:name(), plug:maker(), "parameters:", plug:parameter_count())
for i = 0, plug:parameter_count() - 1 do
  print(string.format("  %d %-20s %.6f", i, plug:parameter_label(i), ARDOUR.LuaAPI.get_processor_param(proc, i, true)))
end

track:input():audio(0):connect("system:capture_1")
track:input():audio(1):connect("system:capture_2")
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
local meter = track:peak_meter()
local function peak(text)
  meter:reset_max()
  ARDOUR.LuaAPI.usleep(1000000)
  print(string.format("%-44s track peak %6.2f dBFS", text, meter:meter_level(0, ARDOUR.MeterType.MeterMaxPeak)))
end
ARDOUR.LuaAPI.set_processor_param(proc, 6, 0.5) -- Out Limit -9 dB
peak("Input Gain 0 dB, Out Limit -9 dB:")
ARDOUR.LuaAPI.set_processor_param(proc, 0, 1.0) -- Input Gain +18 dB
peak("Input Gain +18 dB, Out Limit -9 dB:")
proc:deactivate()
peak("plug-in deactivated:")
proc:activate()
ARDOUR.LuaAPI.set_processor_param(proc, 0, 0.75) -- +9 dB
Session:save_state("", false, false, false, false, false)
close_session()

assert(load_session(dir .. "/session", "check"), "could not reload the session")
local again = Session:route_by_name("T"):nth_plugin(0)
assert(not again:isnil(), "plug-in missing after reload")
print(string.format("after reload: Input Gain %.6f (saved 0.75)", ARDOUR.LuaAPI.get_processor_param(again, 0, true)))
close_session()
