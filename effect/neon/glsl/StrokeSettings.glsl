// The settings of each stroke, shared by the stroke table and the stroke pass: where stroke i
// sits, whether it shows, its colour and its glow strength, all of them fixed for the frame.
uniform float edgeEndDist;
uniform float edgeStartDist;
uniform int visibleDirection; // DIRECTION_*
uniform float visibleValue;
uniform float visibleSeed;
uniform float glowAlpha;
uniform float glowRandom; // 0 means off
uniform float glowSeed;
uniform int strokeCount;
uniform int colorCount;
uniform int colorType; // COLOR_TYPE_*
uniform float colorSeed;
uniform vec4 strokeColors[MAX_COLORS];
// 1 evaluates every stroke, every colour mode and the blend in every fragment, as the passes
// are written; the fast path must give the same bytes (checked by the tests). A constant, not
// a uniform: a software rasterizer runs both sides of a branch, so only code the compiler
// drops costs nothing.
const int straightforward = STRAIGHTFORWARD;

float hash1(vec2 p) {
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
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
        return colorType == COLOR_TYPE_LOOP ? looped : (colorType == COLOR_TYPE_RANDOM ? random : gradient);
    }
    if (colorType == COLOR_TYPE_LOOP) {
        return loopColor(i, m);
    }
    return colorType == COLOR_TYPE_RANDOM ? randomColor(float(i), float(n), m) : gradientColor(float(i), float(n), m);
}

// (position, visibility) of stroke i. A single stroke sits at startPos and shows whenever
// visibleValue is above 0, whichever the direction.
vec2 strokeInfo(float i, float n, float startPos) {
    float percent = n > 1.5 ? i / (n - 1.0) : 0.0;
    float pos = i < 0.5 ? startPos : startPos + (1.0 - startPos) * percent;
    float percent0 = percent;
    float percent1 = n > 1.5 ? 1.0 - percent : 0.0;
    float candidate = visibleDirection == DIRECTION_INNER_TO_OUTER ? percent0 : percent1;
    if (visibleDirection == DIRECTION_RANDOM || straightforward == 1) {
        float percent2 = hash1(vec2(i + 2.0, visibleSeed)) >= visibleValue ? 1.0 : 0.0;
        candidate = visibleDirection == DIRECTION_INNER_TO_OUTER ? percent0
                    : (visibleDirection == DIRECTION_OUTER_TO_INNER ? percent1 : percent2);
    }
    float alpha = (candidate <= visibleValue ? 1.0 : 0.0) * sign(visibleValue);
    return vec2(pos, alpha);
}

// Glow Random dims the glow of the strokes whose hash falls below it; 0 turns it off
// (and would divide by zero).
float glowStrengthOf(float sIdx) {
    float glowStrength = glowAlpha;
    if (glowRandom != 0.0) {
        float ran = hash1(vec2(sIdx + 1.0, glowSeed));
        if (ran < glowRandom) {
            glowStrength = ran / glowRandom * glowAlpha;
        }
    }
    return glowStrength;
}
