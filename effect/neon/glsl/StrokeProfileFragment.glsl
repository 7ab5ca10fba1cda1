// The stroke profile: the strokes' sum (StrokeSum.glsl) at evenly spaced encoded distances,
// node i at (i - profileZero) * profileStep, one texel a node, node profileZero at 0 exactly.
// The sum depends on the distance alone, so the stroke pass reads it from here instead of
// summing every stroke per pixel.
out vec4 colourOut;
uniform float profileZero;
uniform float profileStep;

void main() {
    colourOut = strokeSum((gl_FragCoord.x - 0.5 - profileZero) * profileStep);
}
