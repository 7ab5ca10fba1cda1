#!/usr/bin/env bash
# scripts/speed-chart.py draws a PNG from benchmark JSON, one line per Quality, and refuses
# JSON without the scaling rows with a message and no file.
#   speed-chart.sh SCRIPT WORK
set -euo pipefail
script=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
row() { # width height quality ms
    printf '{"name": "BM_PixelScaling/w:%s/h:%s/quality:%s/strokes:3/min_time:1.000/manual_time", "run_type": "iteration", "frame_ms": %s}' "$@"
}
{
    echo '{"benchmarks": ['
    row 480 270 1 18 && echo , && row 1920 1080 1 290 && echo , && row 3840 2160 1 1000 && echo ,
    row 480 270 4 7 && echo , && row 1920 1080 4 70 && echo , && row 3840 2160 4 240
    echo ']}'
} >scaling.json
python3 "$script" scaling.json chart.png
[ "$(head -c 8 chart.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "not a PNG"
# Width 900, height 560, from the header.
[ "$(dd if=chart.png bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = \
    0000038400000230 ] || fail "unexpected size"
# Each Quality present draws its colour: Extreme red and Low blue, not High's orange.
python3 - chart.png <<'PY' || fail "the lines' colours are not as drawn"
import sys, zlib
data = open(sys.argv[1], "rb").read()
pos, idat = 8, b""
while pos < len(data):
    n = int.from_bytes(data[pos:pos + 4], "big")
    if data[pos + 4:pos + 8] == b"IDAT":
        idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
pixels = {raw[i:i + 3] for i in range(0, len(raw) - 3)}
assert bytes((214, 39, 40)) in pixels and bytes((31, 119, 180)) in pixels
assert bytes((255, 127, 14)) not in pixels
PY
echo '{"benchmarks": []}' >empty.json
if message=$(python3 "$script" empty.json none.png 2>&1); then
    fail "JSON without rows was drawn"
fi
[[ $message == *"holds no BM_PixelScaling rows"* ]] || fail "message: $message"
[ ! -e none.png ] || fail "a file was left for JSON without rows"
