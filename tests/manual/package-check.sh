#!/usr/bin/env bash
# Manual check of the installed Debian package in a real host (apt install ./dist/vellicor_*.deb
# first; needs the ardour package). With a fresh home and no plug-in path set, Ardour's scanners
# index the modules in the system folders and a headless session lists and loads each format.
# Not part of the build or the test run.
set -euo pipefail
work=$(mktemp -d /tmp/vellicor-package.XXXXXX)
mkdir -p "$work/home"
export HOME="$work/home"
unset VST3_PATH LXVST_PATH VST_PATH LV2_PATH
export LD_LIBRARY_PATH=/usr/lib/ardour7
echo "Ardour's default plug-in folders:"
strings /usr/lib/ardour7/libardour.so.3 | grep -E '^(/usr|~).*(vst3|lxvst|lv2)' | sed 's/^/  /' || true
# ardour-lua lists only what a scan has cached; the scanners index the files in the system folders.
/usr/lib/ardour7/ardour-vst3-scanner -f /usr/lib/vst3/vellicor.vst3
/usr/lib/ardour7/ardour-vst-scanner -f /usr/lib/lxvst/vellicor_vst2.so
ardour7-lua "$(dirname "$0")/package-check.lua" "$work" 2>&1 |
    grep -v -e 'new MIDI buffer' -e 'call-slot' -e 'direct dispatch' -e 'Butler drops'
command -v lv2ls >/dev/null && { echo "lv2ls:"; lv2ls | grep -i vellicor | sed 's/^/  /' || echo "  (no Vellicor LV2)"; }
rm -rf "$work"
