// The stroke profile: the strokes' sum (StrokeSum.glsl) at evenly spaced encoded distances,
// node i at profileStart + i * profileStep, one texel a node. The sum depends on the distance
// alone, so the stroke pass reads it from here instead of summing every stroke per pixel.
out vec4 colourOut;
uniform float profileStart;
uniform float profileStep;

void main() {
    colourOut = strokeSum(profileStart + (gl_FragCoord.x - 0.5) * profileStep);
}
