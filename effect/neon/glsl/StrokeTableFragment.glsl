// The stroke table, one texel a stroke: row 0 holds stroke i's colour (its alpha times its
// visibility), row 1 its position and glow strength. Made once a frame and copied into the
// stroke pass's uniform buffer, so that pass reads them instead of working them out again in
// every fragment.
out vec4 colourOut;

void main() {
    int s = int(gl_FragCoord.x);
    vec2 info = strokeInfo(float(s), float(strokeCount), edgeStartDist / edgeEndDist);
    if (gl_FragCoord.y < 1.0) {
        vec4 color = pickColor(s, strokeCount, clamp(colorCount, 1, MAX_COLORS));
        color.a *= info.y;
        colourOut = color;
    } else {
        colourOut = vec4(info.x, glowStrengthOf(float(s)), 0.0, 0.0);
    }
}
