in vec2 uv;
out vec4 colourOut;
uniform sampler2D t0;
uniform vec2 mapSize;
uniform float distLimit;

// The distance to this texel's seed as a fraction of the limit, encoded with a
// 1 / DISTANCE_GAMMA power. The passes as written only: the fast flood's last step writes it
// (JumpFloodFragment.glsl).
void main() {
    ivec2 here = clamp(ivec2(gl_FragCoord.xy), ivec2(0), ivec2(mapSize) - 1);
    vec2 seed = texelFetch(t0, here, 0).xy;
    float d = length(seed - gl_FragCoord.xy);
    // A seed is 0 whatever the limit (0 / 0 would be undefined).
    float encoded = d > 0.0 ? pow(d / distLimit, 1.0 / DISTANCE_GAMMA) : 0.0;
    colourOut = vec4(encoded, encoded, encoded, 1.0);
}
