-- Loads the LV2 bundle by its URI into a headless Ardour session (dummy backend, sine input), sets
-- input_gain, rolls, exports, saves and reloads. Run through lv2-session-check.sh.
local dir = arg and arg[1] or "/tmp/vellicor-ardour-lv2"
local uri = "https://www.ovidane.com/vellicor"
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:stop(false)
AudioEngine:set_device_name("Sine Wave") -- a -18 dBFS sine on every capture port
AudioEngine:start(false)

local s = create_session(dir .. "/session", "check", 48000)
assert(s, "could not create a session")
local track = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local proc = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
assert(not proc:isnil(), "no LV2 plug-in " .. uri)
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "could not insert the plug-in")
local plug = proc:to_insert():plugin(0)
print("loaded:", plug:name(), plug:maker(), plug:unique_id(), "parameters:", plug:parameter_count())
for j = 0, 9 do -- the control inputs; Ardour numbers its labels by port
  local port = plug:nth_parameter(j, true)
  local _, pd = plug:get_parameter_descriptor(port, ARDOUR.ParameterDescriptor())
  print(string.format("  %d %-20s %10.3f  [%g, %g]", j, plug:parameter_label(port),
                      ARDOUR.LuaAPI.get_processor_param(proc, j, true), pd[2].lower, pd[2].upper))
end

track:input():audio(0):connect("system:capture_1")
track:input():audio(1):connect("system:capture_2")
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
local meter = track:peak_meter()
local function peak(text)
  meter:reset_max()
  ARDOUR.LuaAPI.usleep(1000000)
  print(string.format("%-40s track peak %6.2f dBFS", text, meter:meter_level(0, ARDOUR.MeterType.MeterMaxPeak)))
end
ARDOUR.LuaAPI.set_processor_param(proc, 6, -9.0) -- out_limit
peak("input_gain 0 dB, out_limit -9 dB:")
ARDOUR.LuaAPI.set_processor_param(proc, 0, 18.0) -- input_gain
peak("input_gain +18 dB, out_limit -9 dB:")
ARDOUR.LuaAPI.set_processor_param(proc, 0, 6.0)
ARDOUR.LuaAPI.set_processor_param(proc, 6, -15.0) -- the export of the -12 dBFS sine peaks at -15

-- Record a few seconds of the input on the track, then export the session through the plug-in.
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(3000000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(500000)
print("rolled to sample:", Session:transport_sample())
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
local export = Session:simple_export()
export:set_folder(dir .. "/export")
export:set_name("limited")
export:set_range(0, 2 * 48000)
export:set_preset("75969a1c-3133-4694-864b-a1fa50e43348") -- "WAV @ session-rate"
print("exported:", export:run_export())

Session:save_state("", false, false, false, false, false)
close_session()

assert(load_session(dir .. "/session", "check"), "could not reload the session")
local again = Session:route_by_name("T"):nth_plugin(0)
assert(not again:isnil(), "plug-in missing after reload")
print(string.format("after reload: %s, input_gain %.3f (saved 6), out_limit %.3f (saved -15)", again:name(),
                    ARDOUR.LuaAPI.get_processor_param(again, 0, true), ARDOUR.LuaAPI.get_processor_param(again, 6, true)))
close_session()
