// The strokes' sum at one encoded distance, shared by the stroke pass and the stroke profile.
// Every distance is a fraction of the End Distance and is compared with the map's encoded
// distance, so strokes are laid out evenly in encoded distance. Follows the stroke settings
// (StrokeSettings.glsl).

// Each stroke's colour (alpha times visibility), then its position and glow strength, from
// the stroke table. A buffer, not a texture: llvmpipe reads a texel at a different place in
// each fragment far more slowly than an array element.
layout(std140) uniform StrokeTable {
    vec4 strokeColor[MAX_STROKES];
    vec4 strokePlace[MAX_STROKES];
};
uniform float edgeSize;
uniform float glowSize;

// The solid band: flat with glow strength 0, otherwise over-bright towards its centre line.
vec4 stroke(float dist, float sDist, float sWidth, float onePix, float glowStrength, vec4 color) {
    float dist0 = sDist;
    float dist1 = sDist + sWidth;
    float r0 = smoothstep(dist0, dist0 + onePix, dist);
    float r1 = smoothstep(dist1, dist1 + onePix, dist);
    float strokeValue = dist < (dist0 + dist1) / 2.0 ? r0 : 1.0 - r1;
    float strokeEdge = clamp(abs(dist - (sDist + sWidth / 2.0)) / (sWidth / 2.0), 0.0, 1.0);
    strokeEdge = mix(1.0, strokeEdge * strokeEdge, clamp(glowStrength * 10.0, 0.0, 1.0));
    strokeEdge = clamp(strokeEdge, 0.001, 1.0);
    return vec4(color.rgb / strokeEdge * strokeValue, color.a * strokeValue);
}

// The halo: rises over gSize before the band, 1 across it, falls over gSize after it.
vec4 glow(float dist, float sDist, float sWidth, float gSize, float glowStrength, vec4 color) {
    float dist0 = sDist;
    float dist1 = sDist + sWidth;
    float r0 = smoothstep(dist0 - gSize, dist0, dist);
    float r1 = smoothstep(dist1, dist1 + gSize, dist);
    float glowValue = dist < (dist0 + dist1) / 2.0 ? r0 : 1.0 - r1;
    return color * pow(glowValue, 1.0 / 2.2) * glowStrength;
}

vec4 drawStroke(float dist, float sDist, float sWidth, float gSize, float onePix, vec4 color,
                float glowStrength) {
    return glow(dist, sDist, sWidth, gSize, glowStrength, color) +
           stroke(dist, sDist, sWidth, onePix, glowStrength, color);
}

// The strokes that can touch a fragment at `dist`. Stroke s sits at startPos + s * step, and
// its band and glow add exactly nothing outside (pos - glow, pos + width + max(glow, onePix)),
// so only an index range around dist needs evaluating. The margin, 1e-4 of the largest value
// involved, is hundreds of times the rounding of these few operations (the division by the
// step included) and of the table's positions, so floor and ceil of the ends keep every
// stroke that can add anything; the strokes inside are summed in the same order as before,
// so the sum is the same to the bit.
ivec2 reachable(float dist, float n, float startPos, float sWidth, float gSize, float onePix) {
    float step = n > 1.5 ? (1.0 - startPos) / (n - 1.0) : 0.0;
    // Start and End Distance are whole numbers up to 1000: a step is 0 or at least 1e-5.
    if (straightforward == 1 || abs(step) < 1.0e-6) {
        return ivec2(0, int(n) - 1);
    }
    float margin = 1.0e-4 * (abs(dist) + sWidth + gSize + 1.0);
    float from = (dist - sWidth - max(gSize, onePix) - margin - startPos) / step;
    float to = (dist + gSize + margin - startPos) / step;
    float first = max(floor(min(from, to)), 0.0);
    float last = min(ceil(max(from, to)), n - 1.0);
    return first > last ? ivec2(1, 0) : ivec2(int(first), int(last));
}

vec4 strokeSum(float dist) {
    float onePix = SOFT_EDGE_PIXELS / edgeEndDist;
    float strokeWidth = edgeSize / edgeEndDist;
    float strokeGlow = glowSize / edgeEndDist;
    float startDist = edgeStartDist / edgeEndDist;
    int m = clamp(colorCount, 1, MAX_COLORS);
    float n = float(strokeCount);

    // Strokes are summed, not blended; a hidden stroke loses only its alpha.
    vec4 sum = vec4(0.0);
    ivec2 range = reachable(dist, n, startDist, strokeWidth, strokeGlow, onePix);
    for (int s = range.x; s <= range.y; ++s) {
        vec4 color = strokeColor[s];
        vec4 placed = strokePlace[s];
        if (straightforward == 1) {
            vec2 info = strokeInfo(float(s), n, startDist);
            color = pickColor(s, strokeCount, m);
            color.a *= info.y;
            placed = vec4(info.x, glowStrengthOf(float(s)), 0.0, 0.0);
        }
        sum += drawStroke(dist, placed.x, strokeWidth, strokeGlow, onePix, color, placed.y);
    }
    return sum;
}
