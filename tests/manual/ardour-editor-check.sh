#!/usr/bin/env bash
# Manual check of the editor in a real host: Ardour's window on a private Xvfb (no window manager).
# Not part of the build or the test run; needs the ardour, xvfb, xdotool and imagemagick packages.
#   tests/manual/ardour-editor-check.sh [dist]          start Ardour with the three formats on three tracks
#   DISPLAY=:N tests/manual/ardour-editor-check.sh turn X Y DY   drag the open editor's point (X, Y)
#                                                          by DY pixels (negative: up)
# In Ardour: answer the I/O-device notice with OK, pick "None (Dummy)" and press Start, press "Mix",
# double-click "Vellicor" in a strip to open its editor, then "Edit with generic controls..." from
# the same strip's context menu shows the values the editor set.
set -euo pipefail
if [ "${1:-}" = turn ]; then
    # The editor is the host window's 562 x 270 child; the host frame has a toolbar above it.
    read -r x y < <(xwininfo -root -tree | awk '/562x270\+0\+0/ {split($NF, p, "+"); print p[2], p[3]; exit}')
    xdotool mousemove $((x + $2)) $((y + $3)) mousedown 1 sleep 0.3 \
        mousemove $((x + $2)) $((y + $3 + $4)) sleep 0.3 mouseup 1
    import -window root "${5:-/tmp/vellicor-ardour-editor.png}"
    exit 0
fi
dist=$(realpath "${1:-dist}")
work=$(mktemp -d /tmp/vellicor-ardour-editor.XXXXXX)
mkdir -p "$work/home/.vst3" "$work/vst" "$work/home/.config/ardour7" "$work/home/.lv2"
cp -r "$dist/vellicor.vst3" "$work/home/.vst3/"
cp -r "$dist/vellicor.lv2" "$work/home/.lv2/"
cp "$dist/vellicor_vst2.so" "$work/vst/"
# A cache no newer than the module counts as stale: give the copies an older time stamp.
touch -d "1 minute ago" "$work/vst/vellicor_vst2.so" "$work/home/.vst3/vellicor.vst3/Contents/x86_64-linux/vellicor.so"
export HOME="$work/home" LXVST_PATH="$work/vst"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f "$work/home/.vst3/vellicor.vst3" >/dev/null
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$work/vst/vellicor_vst2.so" >/dev/null
ardour7-lua "$(dirname "$0")/ardour-editor-session.lua" "$work" 2>&1 | grep -e session -e rror || true

# Ardour hides its dummy audio backend unless told otherwise; the first start writes the rest.
cat >"$HOME/.config/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
  </Config>
</Ardour>
XML
setsid Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1400x900x24 3>"$work/display" \
    </dev/null >"$work/xvfb.log" 2>&1 &
echo $! >"$work/xvfb.pid"
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
setsid ardour -n -a "$work/session/editor.ardour" </dev/null >"$work/ardour.log" 2>&1 &
echo $! >"$work/ardour.pid"
echo "Ardour on DISPLAY=$DISPLAY (pids in $work/*.pid); screenshots: DISPLAY=$DISPLAY import -window root shot.png"
