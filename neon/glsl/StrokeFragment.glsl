#version 330
// Strokes, glow and composite in one pass over the distance map. Every distance is a fraction
// of the End Distance and is compared with the map's encoded distance, so strokes are laid out
// evenly in encoded distance.
in vec2 uv;
out vec4 colourOut;

uniform sampler2D t0; // distance map: red only
uniform sampler2D t1; // input layer: alpha, red, green, blue
uniform float edgeEndDist;
uniform float edgeStartDist;
uniform float edgeSize;
uniform float glowSize;
uniform int visibleDirection; // 0 inner->outer, 1 outer->inner, 2 random
uniform float visibleValue;
uniform float visibleSeed;
uniform float glowAlpha;
uniform float glowRandom; // 0 means off
uniform float glowSeed;
uniform int strokeCount;
uniform int colorCount;
uniform int colorType; // 0 loop, 1 random, 2 gradient
uniform float colorSeed;
uniform vec4 strokeColors[8];
uniform vec2 viewSize;
uniform float composite; // 0 strokes alone, 1 over the input layer
// 1 evaluates every stroke, every colour mode and the blend, as the passes are written; the
// fast path must give the same bytes (checked by the tests).
uniform int straightforward;

float hash1(vec2 p) {
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

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
                float sIdx) {
    float glowStrength = glowAlpha;
    // Glow Random dims the glow of the strokes whose hash falls below it; 0 turns it off
    // (and would divide by zero).
    if (glowRandom != 0.0) {
        float ran = hash1(vec2(sIdx + 1.0, glowSeed));
        if (ran < glowRandom) {
            glowStrength = ran / glowRandom * glowAlpha;
        }
    }
    return glow(dist, sDist, sWidth, gSize, glowStrength, color) +
           stroke(dist, sDist, sWidth, onePix, glowStrength, color);
}

vec4 loopColor(int i, int m) {
    return strokeColors[i % m];
}

vec4 randomColor(float i, float n, int m) {
    float v = hash1(vec2(i / n, colorSeed)) * float(m);
    v = min(v, float(m) - 0.1);
    return strokeColors[int(floor(v))];
}

// A single stroke takes colour 1 (i / (n - 1) would be 0 / 0).
vec4 gradientColor(float i, float n, int m) {
    float percent = n > 1.5 ? i / (n - 1.0) : 0.0;
    float pos = percent * float(m - 1);
    int low = int(floor(pos));
    int high = min(int(ceil(pos)), m - 1);
    return mix(strokeColors[low], strokeColors[high], fract(pos));
}

vec4 pickColor(int i, int n, int m) {
    if (straightforward == 1) {
        vec4 looped = loopColor(i, m);
        vec4 random = randomColor(float(i), float(n), m);
        vec4 gradient = gradientColor(float(i), float(n), m);
        return colorType == 0 ? looped : (colorType == 1 ? random : gradient);
    }
    if (colorType == 0) {
        return loopColor(i, m);
    }
    return colorType == 1 ? randomColor(float(i), float(n), m) : gradientColor(float(i), float(n), m);
}

// (position, visibility) of stroke i. A single stroke sits at startPos and shows whenever
// visibleValue is above 0, whichever the direction.
vec2 strokeInfo(float i, float n, float startPos) {
    float percent = n > 1.5 ? i / (n - 1.0) : 0.0;
    float pos = i < 0.5 ? startPos : startPos + (1.0 - startPos) * percent;
    float percent0 = percent;
    float percent1 = n > 1.5 ? 1.0 - percent : 0.0;
    float candidate = visibleDirection == 0 ? percent0 : percent1;
    if (visibleDirection == 2 || straightforward == 1) {
        float percent2 = hash1(vec2(i + 2.0, visibleSeed)) >= visibleValue ? 1.0 : 0.0;
        candidate = visibleDirection == 0 ? percent0 : (visibleDirection == 1 ? percent1 : percent2);
    }
    float alpha = (candidate <= visibleValue ? 1.0 : 0.0) * sign(visibleValue);
    return vec2(pos, alpha);
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
// so only an index range around dist needs evaluating; the range is widened by a margin far
// beyond the rounding of these few operations, and the strokes inside it are summed in the
// same order as before, so the sum is the same to the bit.
ivec2 reachable(float dist, float n, float startPos, float sWidth, float gSize, float onePix) {
    float step = n > 1.5 ? (1.0 - startPos) / (n - 1.0) : 0.0;
    // Start and End Distance are whole numbers up to 1000: a step is 0 or at least 1e-5.
    if (straightforward == 1 || abs(step) < 1.0e-6) {
        return ivec2(0, int(n) - 1);
    }
    float margin = 1.0e-4 * (abs(dist) + sWidth + gSize + 1.0);
    float from = (dist - sWidth - max(gSize, onePix) - margin - startPos) / step;
    float to = (dist + gSize + margin - startPos) / step;
    float first = max(floor(min(from, to)) - 1.0, 0.0);
    float last = min(ceil(max(from, to)) + 1.0, n - 1.0);
    return first > last ? ivec2(1, 0) : ivec2(int(first), int(last));
}

void main() {
    float dist = readDist(gl_FragCoord.xy);
    float onePix = 2.0 / edgeEndDist;
    float strokeWidth = edgeSize / edgeEndDist;
    float strokeGlow = glowSize / edgeEndDist;
    float startDist = edgeStartDist / edgeEndDist;
    int m = clamp(colorCount, 1, 8);
    float n = float(strokeCount);

    // Strokes are summed, not blended; a hidden stroke loses only its alpha.
    vec4 sum = vec4(0.0);
    ivec2 range = reachable(dist, n, startDist, strokeWidth, strokeGlow, onePix);
    for (int s = range.x; s <= range.y; ++s) {
        vec2 info = strokeInfo(float(s), n, startDist);
        vec4 color = pickColor(s, strokeCount, m);
        color.a *= info.y;
        sum += drawStroke(dist, info.x, strokeWidth, strokeGlow, onePix, color, float(s));
    }

    // The layer arrives with straight colour, while the stroke sum and the download work in
    // premultiplied colour: premultiplied first, a half-transparent layer is not doubled and a
    // transparent one leaves the strokes exactly as they are alone.
    // Under "Only Neon" the mix gives the sum exactly: the layer is not read.
    if (composite == 0.0 && straightforward == 0) {
        colourOut = sum;
        return;
    }
    vec4 origin = swapChannel(texture(t1, uv));
    origin.rgb *= origin.a;
    colourOut = mix(sum, blend(origin, sum), composite);
}
