#!/usr/bin/env bash
# Manual check in a real host: Debian's ardour package (apt-get install ardour) brings a headless VST2
# scanner and a Lua session host with a dummy audio backend. Not part of the build or the test run.
#   tests/manual/vst2-check.sh [path/to/vellicor_vst2.so]
set -euo pipefail
module=$(realpath "${1:-dist/vellicor_vst2.so}")
work=$(mktemp -d /tmp/vellicor-ardour.XXXXXX)
mkdir -p "$work/vst" "$work/home"
cp "$module" "$work/vst/"
# A cache no newer than the module counts as stale: give the copy an older time stamp.
touch -d "1 minute ago" "$work/vst/vellicor_vst2.so"
export HOME="$work/home" LXVST_PATH="$work/vst"
# ardour-lua only lists plug-ins that a scan has cached.
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$work/vst/vellicor_vst2.so"
ardour7-lua "$(dirname "$0")/vst2-check.lua" "$work" 2>&1 |
    grep -v -e 'new MIDI buffer' -e 'call-slot' -e 'direct dispatch' -e 'Butler drops'
echo "work files in $work"
