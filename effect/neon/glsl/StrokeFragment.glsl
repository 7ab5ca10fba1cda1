// Strokes, glow and composite in one pass over the distance map, after the strokes' sum
// (StrokeSum.glsl).
in vec2 uv;
out vec4 colourOut;

uniform sampler2D t0; // distance map: red only
uniform sampler2D t1; // input layer: alpha, red, green, blue
// The strokes' sum at evenly spaced distances (the stroke profile), and the texture coordinate
// of a distance on it: distance * x + y.
uniform sampler1D profile;
uniform vec2 profileMapping;
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

#if TO_HOST
// What the layer and the conversion make of a premultiplied colour, where the driver's store
// and read are this arithmetic (checked before use): the layer's bytes (clamped, times 255,
// rounded to even), read back as byte / 255 (a multiplication by the float nearest 1 / 255),
// then the host's alpha, red, green, blue, straight, as DownloadFragment.glsl makes them.
vec4 toHost(vec4 c) {
    vec4 s = roundEven(clamp(c, 0.0, 1.0) * 255.0) * (1.0 / 255.0);
    vec4 result = vec4(0.0);
    if (s.a != 0.0) {
        result = vec4(s.a, s.r / s.a, s.g / s.a, s.b / s.a);
    }
    return result;
}
#endif

void main() {
    float dist = readDist(gl_FragCoord.xy);
#if PROFILE
    // The sum read from the stroke profile, linearly between its two nearest nodes.
    vec4 sum = texture(profile, dist * profileMapping.x + profileMapping.y);
#else
    vec4 sum = strokeSum(dist);
#endif

    // The layer arrives with straight colour, while the stroke sum and the download work in
    // premultiplied colour: premultiplied first, a half-transparent layer is not doubled and a
    // transparent one leaves the strokes exactly as they are alone.
    // Under "Only Neon" the mix gives the sum exactly: the layer is not read.
    if (overOrigin == 0) {
#if TO_HOST
        colourOut = toHost(sum);
#else
        colourOut = sum;
#endif
        return;
    }
    vec4 origin = swapChannel(texture(t1, uv));
    origin.rgb *= origin.a;
    colourOut = mix(sum, blend(origin, sum), composite);
}
