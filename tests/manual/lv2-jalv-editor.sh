#!/usr/bin/env bash
# Manual check in a real LV2 host: jalv.gtk3 (Debian's jalv) runs the bundle on a JACK server with its
# dummy driver, on a private Xvfb display, and shows the editor; the screen is saved as a PNG.
# Not part of the build or the test run (needs jackd2 and x11-apps besides jalv).
#   tests/manual/lv2-jalv-editor.sh [dist] [display]
set -euo pipefail
dist=$(realpath "${1:-dist}")
display=${2:-:74}
work=$(mktemp -d /tmp/vellicor-jalv.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export JACK_DEFAULT_SERVER="vellicor-$$"
jackd --no-realtime -d dummy -r 48000 -p 512 >"$work/jackd.log" 2>&1 &
pids+=($!)
sleep 2
DISPLAY=$display LV2_PATH="$dist" jalv.gtk3 -c input_gain=3 https://www.ovidane.com/vellicor \
    >"$work/jalv.log" 2>&1 &
pids+=($!)
sleep 5
DISPLAY=$display xwd -root -silent >"$work/screen.xwd"
"$(dirname "$0")/xwd-to-png.py" "$work/screen.xwd" "$work/jalv.png"
grep -i -e error -e fail "$work/jalv.log" || true
echo "screen: $work/jalv.png (jalv's log: $work/jalv.log)"
