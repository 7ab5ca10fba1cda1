// Seeds packed in one 32-bit integer for the flood's fast passes: texel x + 1 in the low 16
// bits, y + 1 in the high ones (frames are at most 16384 a side); 0 is "no seed", all ones
// the flood's "none found yet" (999999, 999999). Unpacked, a seed is the very window
// coordinate (x + 0.5, y + 0.5) that the two-float form stores, so every distance compared
// is the same to the bit: half the memory read per candidate, one channel instead of two.
const uint kNoneFound = 0xFFFFFFFFu;

uint packSeed(vec2 fragCoord) {
    uvec2 texel = uvec2(fragCoord) + 1u;
    return texel.x | (texel.y << 16u);
}

vec2 unpackSeed(uint v) {
    if (v == 0u) {
        return vec2(0.0);
    }
    if (v == kNoneFound) {
        return vec2(999999.0);
    }
    return vec2(float(v & 0xFFFFu), float(v >> 16u)) - 0.5;
}
