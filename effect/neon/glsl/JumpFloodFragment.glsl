in vec2 uv;
#if PACKED_SEEDS && TO_DISTANCE
// The last step writes the distance to the seed it keeps, as the distance pass would from it.
out vec4 colourOut;
uniform usampler2D t0;
uniform float distLimit;
#elif PACKED_SEEDS
out uvec4 colourOut;
uniform usampler2D t0;
#else
out vec4 colourOut;
uniform sampler2D t0;
#endif
uniform vec2 viewSize;
uniform int width; // the step, 2^(levels - pass): a uniform, not worked out in every fragment

const vec2 kNoSeed = vec2(999999.0);

// One jump-flood step: keep the nearest of the seeds known at this texel and at the eight
// texels one step width away (clamped to the edge).
void main() {
    ivec2 here = ivec2(gl_FragCoord.xy);
    ivec2 last = ivec2(viewSize) - 1;
    // Unbounded, so that seeds more than 1000 texels away still count.
    float best = 3.0e38;
    vec2 bestCoord = kNoSeed;
#if PACKED_SEEDS
    uint bestPacked = kNoneFound;
#endif
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
#if PACKED_SEEDS
            // The texel's centre, sampled nearest from a texture clamped to its edge: the
            // same texel as the clamped fetch, through llvmpipe's much faster sampling path.
            uint seedBits = texture(t0, (vec2(here + ivec2(dx, dy) * width) + 0.5) / viewSize).r;
            vec2 candidate = unpackSeed(seedBits);
#else
            ivec2 p = clamp(here + ivec2(dx, dy) * width, ivec2(0), last);
            vec2 candidate = texelFetch(t0, p, 0).xy;
#endif
            if (candidate.x != 0.0 && candidate.y != 0.0) {
                // Measured from this texel's own centre, the coordinate seeds store.
                vec2 delta = candidate - gl_FragCoord.xy;
                float e = dot(delta, delta);
                if (e < best) {
                    best = e;
                    bestCoord = candidate;
#if PACKED_SEEDS
                    bestPacked = seedBits;
#endif
                }
            }
        }
    }
#if PACKED_SEEDS && TO_DISTANCE
    vec2 seed = unpackSeed(bestPacked);
    float d = length(seed - gl_FragCoord.xy);
    float encoded = d > 0.0 ? pow(d / distLimit, 1.0 / DISTANCE_GAMMA) : 0.0;
    colourOut = vec4(encoded, encoded, encoded, 1.0);
#elif PACKED_SEEDS
    colourOut = uvec4(bestPacked, 0u, 0u, 0u);
#else
    colourOut = vec4(bestCoord, 0.0, 0.0);
#endif
}
