#!/usr/bin/env bash
# Manual check in a real host: Ardour's Lua session host (Debian's ardour package) loads the LV2
# bundle by URI, sets input_gain, rolls, exports, saves and reloads. Not part of the build or tests.
#   tests/manual/lv2-session-check.sh [dist]
set -euo pipefail
dist=$(realpath "${1:-dist}")
work=$(mktemp -d /tmp/vellicor-ardour-lv2.XXXXXX)
mkdir -p "$work/lv2" "$work/home"
ln -s "$dist/vellicor.lv2" "$work/lv2/"
export HOME="$work/home" LV2_PATH="$work/lv2:/usr/lib/lv2"
ardour7-lua "$(dirname "$0")/lv2-session-check.lua" "$work" 2>&1 |
    grep -v -e 'new MIDI buffer' -e 'call-slot' -e 'direct dispatch' -e 'Butler drops'
python3 - "$work/export/limited.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1]) as w:
    width, frames = w.getsampwidth(), w.readframes(w.getnframes())
    values = [int.from_bytes(frames[i:i + width], 'little', signed=True) for i in range(0, len(frames), width)]
    peak = max(abs(v) for v in values) / float(1 << (8 * width - 1))
    print(f'export: {w.getnchannels()} ch, {w.getframerate()} Hz, {8 * width}-bit, peak {20 * math.log10(peak):.2f} dBFS')
PY
echo "work files in $work"
