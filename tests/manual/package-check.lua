-- Lists the Vellicor plug-ins Ardour finds in its own default folders and loads each on a track of a
-- headless session (dummy backend, -18 dBFS sine input). Run through package-check.sh.
local dir = arg and arg[1] or "/tmp/vellicor-package"
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:stop(false)
AudioEngine:set_device_name("Sine Wave")
AudioEngine:start(false)
local s = create_session(dir .. "/session", "package", 48000)
assert(s, "could not create a session")
local types = { [ARDOUR.PluginType.VST3] = "VST3", [ARDOUR.PluginType.LXVST] = "LXVST", [ARDOUR.PluginType.LV2] = "LV2" }
local found = {}
for p in ARDOUR.LuaAPI.list_plugins():iter() do
  if types[p.type] and p.name == "Vellicor" then
    print(string.format("found %-5s %s by %s at %s", types[p.type], p.name, p.creator, p.path))
    found[#found + 1] = p.type
  end
end
for i, t in ipairs(found) do
  local track = Session:new_audio_track(2, 2, nil, 1, "T" .. i, ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true):front()
  local proc = ARDOUR.LuaAPI.new_plugin(Session, "Vellicor", t, "")
  assert(not proc:isnil(), types[t] .. ": Vellicor could not be instantiated")
  assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "could not insert the plug-in")
  track:input():disconnect_all(nil) -- new tracks take the next free capture ports too
  track:input():audio(0):connect("system:capture_1")
  track:input():audio(1):connect("system:capture_2")
  track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
  local plug = proc:to_insert():plugin(0)
  local meter = track:peak_meter()
  meter:reset_max()
  ARDOUR.LuaAPI.usleep(500000)
  print(string.format("loaded %-5s %s (%d parameters), track peak %.2f dBFS", types[t], plug:name(),
                      plug:parameter_count(), meter:meter_level(0, ARDOUR.MeterType.MeterMaxPeak)))
end
Session:save_state("")
close_session()
