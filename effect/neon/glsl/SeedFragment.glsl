in vec2 uv;
#if PACKED_SEEDS
out uvec4 colourOut;
#else
out vec4 colourOut;
#endif
uniform sampler2D t0;
uniform float inner;

// The layer is stored alpha, red, green, blue.
vec4 swapChannel(vec4 c) {
    return vec4(c.g, c.b, c.a, c.r);
}

// Seeds lie on the side of the edge away from the strokes; each keeps its own window
// coordinate (never (0, 0), which marks "no seed").
void main() {
    float covered = step(0.9, swapChannel(texture(t0, uv)).a);
    bool seed = inner >= 0.5 ? covered < 0.5 : covered >= 0.5;
#if PACKED_SEEDS
    colourOut = uvec4(seed ? packSeed(gl_FragCoord.xy) : 0u, 0u, 0u, 0u);
#else
    colourOut = seed ? vec4(gl_FragCoord.xy, 0.0, 0.0) : vec4(0.0);
#endif
}
