#!/usr/bin/env bash
# Manual check with a real LV2 host: lilv's lv2apply (lilv-utils) limits the demo input through the
# built bundle, and vellicor-render does the same through the VST3 module's 32-bit path; the two
# outputs must carry the same samples, bit for bit. Not part of the build or the test run.
#   make && tests/manual/lv2apply-check.sh [dist]
set -euo pipefail
dist=$(realpath "${1:-dist}")
work=$(mktemp -d /tmp/vellicor-lv2apply.XXXXXX)
in="$dist/demo/demo-input.wav"
# Custom settings, some of them between steps or off any float (0.7 ms).
settings=("Input Gain=4.5" "Look Ahead=0.7" "Attack=2.3" "Hold=12.5" "Release=33.3" "Stereo Link=40"
          "Out Limit=-1.2" "Target Attenuation=7")
controls=()
for s in "${settings[@]}"; do
    name=${s%%=*}
    symbol=$(echo "$name" | tr 'A-Z ' 'a-z_')
    controls+=(-c "$symbol" "${s#*=}")
done
sets=()
for s in "${settings[@]}"; do sets+=(--set "$s"); done

# lilv reads every folder of LV2_PATH as a bundle: give it the bundle alone.
mkdir "$work/lv2" && ln -s "$dist/vellicor.lv2" "$work/lv2/"
LV2_PATH="$work/lv2" lv2apply -i "$in" -o "$work/lv2.wav" "${controls[@]}" https://www.ovidane.com/vellicor
# As the plug-in gives it (lv2apply does not line the output up with the input either).
"$dist/vellicor-render" "$in" "$work/vst3.wav" --format vst3 --precision 32 --sample-format float \
    --no-align "${sets[@]}" --quiet

# The data chunks of both files (their headers may differ), compared as bytes.
python3 - "$work/lv2.wav" "$work/vst3.wav" <<'PY'
import struct, sys
def data(path):
    b = open(path, 'rb').read()
    fmt, pos = None, 12
    while pos + 8 <= len(b):
        tag, size = b[pos:pos + 4], struct.unpack('<I', b[pos + 4:pos + 8])[0]
        if tag == b'fmt ':
            fmt = struct.unpack('<HHIIHH', b[pos + 8:pos + 24])
        if tag == b'data':
            return fmt, b[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    sys.exit(f'{path}: no data chunk')
(fa, a), (fb, b) = data(sys.argv[1]), data(sys.argv[2])
print(f'lv2apply: format {fa[0]} ({fa[5]}-bit), {fa[1]} channels, {len(a)} bytes')
print(f'vellicor-render: format {fb[0]} ({fb[5]}-bit), {fb[1]} channels, {len(b)} bytes')
if fa != fb or a != b:
    first = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
    sys.exit(f'DIFFERENT from byte {first} of the data')
print('identical samples, bit for bit')
PY
echo "work files in $work"
