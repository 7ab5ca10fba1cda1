#version 330
in vec2 uv;
out vec4 colourOut;
uniform sampler2D videoTexture;
uniform float multiplier16bit;

// Premultiplied red, green, blue, alpha in; the host's alpha, red, green, blue out, straight.
void main() {
    // The texel under the fragment, sampled nearest: the texel a fetch would read, through
    // llvmpipe's faster sampling path.
    vec4 c = texture(videoTexture, uv);
    vec4 result = vec4(0.0);
    if (c.a != 0.0) {
        result = vec4(c.a, c.r / c.a, c.g / c.a, c.b / c.a);
    }
    colourOut = result / multiplier16bit;
}
