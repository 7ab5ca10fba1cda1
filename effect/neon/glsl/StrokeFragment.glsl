// Strokes, glow and composite in one pass over the distance map. Every distance is a fraction
// of the End Distance and is compared with the map's encoded distance, so strokes are laid out
// evenly in encoded distance. Follows the stroke settings (StrokeSettings.glsl).
in vec2 uv;
out vec4 colourOut;

uniform sampler2D t0; // distance map: red only
uniform sampler2D t1; // input layer: alpha, red, green, blue
// Each stroke's colour (alpha times visibility), then its position and glow strength, from
// the stroke table. A buffer, not a texture: llvmpipe reads a texel at a different place in
// each fragment far more slowly than an array element.
layout(std140) uniform StrokeTable {
    vec4 strokeColor[MAX_STROKES];
    vec4 strokePlace[MAX_STROKES];
};
uniform float edgeSize;
uniform float glowSize;
uniform vec2 viewSize;
uniform float composite; // 0 strokes alone, 1 over the input layer
// Whether this program composites over the layer at all; without it the layer is not read.
const int overOrigin = OVER_ORIGIN;

vec4 swapChannel(vec4 c) {
    return vec4(c.g, c.b, c.a, c.r);
}

// The map is smaller than the frame; linear filtering enlarges it.
float readDist(vec2 f) {
    return texture(t0, f / viewSize).r;
}

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

// Source over previous, with min(1, backdrop + source) where they overlap. Both alphas 0
// leave nothing to weigh: transparent black. Over an empty backdrop the weight is exactly 1
// (source.a / a may round below 1 on a GPU), so the source comes through unchanged.
vec4 blend(vec4 previous, vec4 source) {
    float a = source.a + previous.a * (1.0 - source.a);
    if (a == 0.0) {
        return vec4(0.0);
    }
    float w = previous.a == 0.0 ? 1.0 : source.a / a;
    vec3 mixed = (1.0 - previous.a) * source.rgb + previous.a * min(vec3(1.0), previous.rgb + source.rgb);
    return vec4((1.0 - w) * previous.rgb + w * mixed, a);
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

void main() {
    float dist = readDist(gl_FragCoord.xy);
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

    // The layer arrives with straight colour, while the stroke sum and the download work in
    // premultiplied colour: premultiplied first, a half-transparent layer is not doubled and a
    // transparent one leaves the strokes exactly as they are alone.
    // Under "Only Neon" the mix gives the sum exactly: the layer is not read.
    if (overOrigin == 0) {
        colourOut = sum;
        return;
    }
    vec4 origin = swapChannel(texture(t1, uv));
    origin.rgb *= origin.a;
    colourOut = mix(sum, blend(origin, sum), composite);
}
