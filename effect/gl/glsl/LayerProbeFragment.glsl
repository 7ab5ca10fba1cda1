#version 330
in vec2 uv;
out vec4 colourOut;
uniform sampler2D probeTexture;
uniform int storing;

// Storing: each texel's floats as they are, for the target to store. Reading: the texel
// under the fragment sampled nearest, as the conversion samples the layer.
void main() {
    colourOut = storing == 1 ? texelFetch(probeTexture, ivec2(gl_FragCoord.xy), 0)
                             : texture(probeTexture, uv);
}
