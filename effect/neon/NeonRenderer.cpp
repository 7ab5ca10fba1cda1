#include "effect/neon/NeonRenderer.h"

#include "GlSources.h"
#include "NeonGlslSources.h"
#include "effect/neon/GlslConstants.h"
#include "effect/gl/RenderTarget.h"

#include <algorithm>
#include <cmath>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

// Every stroke program starts with the stroke settings and the settings' slot counts, and
// those that sum strokes with the sum. The fast programs leave out, at compile time, what
// their frames do not use.
std::string withStrokeSettings(const char* fragment, bool straightforward, bool overOrigin,
                               bool sums, bool profiled = false, bool toHost = false) {
    return glslWithSwitches(
        {{"STRAIGHTFORWARD", straightforward},
         {"OVER_ORIGIN", overOrigin},
         {"PROFILE", profiled},
         {"TO_HOST", toHost},
         {"MAX_COLORS", kMaxColors},
         {"MAX_STROKES", kMaxStrokes}},
        {glslConstants(), glsl::kStrokeSettings, sums ? glsl::kStrokeSum : "", fragment});
}

// Nodes of the stroke profile where the GPU's textures are that wide (16384 is llvmpipe's
// limit and common on GPUs; OpenGL 3.3 promises 1024).
constexpr std::int32_t kWantedProfileNodes = 16384;

} // namespace

std::string strokeFragmentSource(bool straightforward, bool overOrigin, bool profiled,
                                 bool toHost) {
    return withStrokeSettings(glsl::kStrokeFragment, straightforward, overOrigin || straightforward,
                              true, profiled && !straightforward,
                              toHost && !overOrigin && !straightforward);
}

StrokeProfile strokeProfile(const NeonSettings& s, std::int32_t nodes) {
    StrokeProfile profile;
    const double end = s.edgeEndDist;
    if (!(end > 0.0) || nodes < 3) {
        return profile;
    }
    // The stroke pass's own measures (StrokeSum.glsl), in encoded distance.
    const double onePix = kSoftEdgePixels / end;
    const double width = s.edgeSize / end;
    const double glow = s.glowSize / end;
    const double first = s.edgeStartDist / end;
    const double last = s.strokeCount > 1 ? 1.0 : first;
    // Every stroke adds exactly nothing outside (position - glow, position + width +
    // max(glow, onePix)); a margin past both ends makes the end nodes exactly zero, so that
    // a distance beyond them, clamped to the edge texel, reads zero too.
    double from = std::min(first, last) - glow;
    double to = std::max(first, last) + width + std::max(glow, onePix);
    const double margin = 1.0e-3 * (to - from + 1.0);
    from -= margin;
    to += margin;
    // Node `zeroNode` sits at distance 0 exactly, where every seed's pixel reads: there the
    // profile gives the sum itself, not a blend of its neighbours, which matters where a
    // stroke starts at 0. One node of the span is kept for that shift.
    profile.step = (to - from) / (nodes - 2);
    profile.zeroNode = static_cast<std::int32_t>(std::ceil(-from / profile.step));
    profile.start = -profile.zeroNode * profile.step;
    // Linear interpolation between nodes errs by at most step² / 8 times the sum's curvature:
    // at 64 nodes across the narrowest feature (a soft edge, onePix wide, or a glow's rise)
    // that is a twentieth of a level for a smoothstep and a third of one where the glow's
    // power rises from zero, so frames stay within one level of the summed strokes. Coarser
    // profiles are not used.
    const double narrowest = std::min(onePix, glow);
    profile.fits = narrowest > 0.0 && narrowest / profile.step >= kProfileNodesPerFeature;
    profile.nodes = nodes;
    return profile;
}

NeonRenderer::NeonRenderer(RenderTarget& target)
    : target(target), strokeProgram(glsl::kCommonVertex, strokeFragmentSource(false, false)),
      overOriginProgram(glsl::kCommonVertex, strokeFragmentSource(false, true)),
      asWrittenProgram(glsl::kCommonVertex, strokeFragmentSource(true, true)),
      profiledProgram(glsl::kCommonVertex, strokeFragmentSource(false, false, true)),
      profiledOverOriginProgram(glsl::kCommonVertex, strokeFragmentSource(false, true, true)),
      toHostProgram(glsl::kCommonVertex, strokeFragmentSource(false, false, false, true)),
      profiledToHostProgram(glsl::kCommonVertex, strokeFragmentSource(false, false, true, true)),
      strokeTableProgram(glsl::kCommonVertex,
                         withStrokeSettings(glsl::kStrokeTableFragment, false, false, false)),
      profileProgram(glsl::kCommonVertex,
                     withStrokeSettings(glsl::kStrokeProfileFragment, false, false, true)),
      distanceField(target) {
    for (OpenglShader* program : programs()) {
        program->bindAttribLocation("position", 0);
        program->bindAttribLocation("input_uv", 1);
    }
}

bool NeonRenderer::straightforward() const {
    return target.passesAsWritten();
}

std::array<OpenglShader*, 9> NeonRenderer::programs() {
    return {&strokeProgram,         &overOriginProgram,         &asWrittenProgram,
            &profiledProgram,       &profiledOverOriginProgram, &toHostProgram,
            &profiledToHostProgram, &strokeTableProgram,        &profileProgram};
}

NeonRenderer::~NeonRenderer() {
    if (holdsGlObjects) {
        release();
    }
}

void NeonRenderer::render(GLuint inputTexture, const Vec2d& frameSize) {
    prepare(inputTexture, frameSize);
    drawStrokes(inputTexture, frameSize);
}

void NeonRenderer::prepare(GLuint inputTexture, const Vec2d& frameSize) {
    holdsGlObjects = true;
    const NeonSettings& s = settings;
    const std::int32_t scale = mapScale(s);
    const std::int32_t levels = floodLevels(s.edgeEndDist, s.edgeSize, s.glowSize, scale);
    distanceField.generate(inputTexture, frameSize, scale, levels, s.neonType, s.edgeEndDist,
                           s.smooth);

    // Each stroke's settings once a frame, into the table the fast stroke pass reads; the
    // passes as written work them out in every fragment.
    const bool asWritten = straightforward();
    if (!asWritten) {
        ensureStrokeTable();
        target.beginRenderToTexture(strokeTable.get(), Vec2d{double(kMaxStrokes), 2.0}, 0);
        quad.bind();
        strokeTableProgram.use();
        setStrokeSettings(strokeTableProgram);
        quad.draw(strokeTableProgram);
        // Row 0 then row 1: the block's two arrays. A copy of the floats on the GPU.
        glBindBuffer(GL_PIXEL_PACK_BUFFER, strokeTableBuffer.get());
        glReadPixels(0, 0, kMaxStrokes, 2, GL_RGBA, GL_FLOAT, nullptr);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        target.endRenderToTexture();
        target.clock().mark("stroke table");
        drawProfile();
    }
}

std::int32_t NeonRenderer::profileNodes() {
    if (maxProfileNodes == 0) {
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        maxProfileNodes = std::max(2, std::min(kWantedProfileNodes, std::int32_t(largest)));
    }
    return maxProfileNodes;
}

void NeonRenderer::drawProfile() {
    profile = strokeProfile(settings, profileNodes());
    if (!profile.fits) {
        return;
    }
    if (!profileTexture) {
        profileTexture = target.createLineTexture(profile.nodes);
    }
    target.beginRenderToLine(profileTexture.get(), profile.nodes);
    quad.bind();
    profileProgram.use();
    setStrokeSettings(profileProgram);
    profileProgram.setUniform1f("edgeSize", static_cast<float>(settings.edgeSize));
    profileProgram.setUniform1f("glowSize", static_cast<float>(settings.glowSize));
    profileProgram.setUniformBlock("StrokeTable", strokeTableBuffer.get(), 0);
    profileProgram.setUniform1f("profileZero", static_cast<float>(profile.zeroNode));
    profileProgram.setUniform1f("profileStep", static_cast<float>(profile.step));
    quad.draw(profileProgram);
    target.endRenderToTexture();
    target.clock().mark("stroke profile");
}

void NeonRenderer::drawStrokes(GLuint inputTexture, const Vec2d& frameSize, bool toHost) {
    const NeonSettings& s = settings;
    const bool asWritten = straightforward();

    const bool overOrigin = s.composite == Composite::NeonAndOrigin;
    const bool profiled = !asWritten && profile.fits;
    toHost = toHost && drawsToHost();
    OpenglShader& program = asWritten  ? asWrittenProgram
                            : toHost   ? (profiled ? profiledToHostProgram : toHostProgram)
                            : profiled ? (overOrigin ? profiledOverOriginProgram : profiledProgram)
                            : overOrigin ? overOriginProgram
                                         : strokeProgram;
    quad.bind();
    program.use();
    setStrokeSettings(program);
    program.setUniform1f("edgeSize", static_cast<float>(s.edgeSize));
    program.setUniform1f("glowSize", static_cast<float>(s.glowSize));
    program.setUniform1f("composite", s.composite == Composite::NeonAndOrigin ? 1.0f : 0.0f);
    program.setUniformBlock("StrokeTable", strokeTableBuffer.get(), 0);
    program.setUniform2f("viewSize", frameSize);
    program.setTexture("t0", GL_TEXTURE_2D, distanceField.resultTexture(), 0);
    program.setTexture("t1", GL_TEXTURE_2D, inputTexture, 1);
    if (profiled) {
        // Node i's texel centre, (i + 0.5) / nodes, for the distance (i - zeroNode) * step:
        // exact at distance 0 (nodes is a power of two).
        const double perNode = 1.0 / (profile.step * profile.nodes);
        program.setUniform2f("profileMapping", static_cast<float>(perNode),
                             static_cast<float>((profile.zeroNode + 0.5) / profile.nodes));
        program.setTexture("profile", GL_TEXTURE_1D, profileTexture.get(), 2);
    }
    quad.draw(program);
    target.clock().mark("strokes");
}

bool NeonRenderer::drawsToHost() {
    return !straightforward() && !layerNeedsSamples() && target.layerIsArithmetic();
}

bool NeonRenderer::layerNeedsSamples() const {
    // The quad's two triangles interpolate the layer's coordinates slightly differently, so
    // along their shared edge a pixel's samples can differ where the layer is read. "Only
    // Neon" reads nothing but the fragment's window position, the same for both triangles:
    // every sample of a pixel gets the same value, and their resolve is that value.
    return straightforward() || settings.composite == Composite::NeonAndOrigin;
}

void NeonRenderer::setStrokeSettings(OpenglShader& program) const {
    const NeonSettings& s = settings;

    float colors[kMaxColors * 4];
    for (int i = 0; i < kMaxColors; ++i) {
        const NeonColor& c = s.strokeColors[i];
        colors[i * 4 + 0] = static_cast<float>(c.red);
        colors[i * 4 + 1] = static_cast<float>(c.green);
        colors[i * 4 + 2] = static_cast<float>(c.blue);
        colors[i * 4 + 3] = static_cast<float>(c.alpha);
    }
    // Seeds 0..10000 become 0..1 for the shader's hash.
    program.setUniform4fv("strokeColors", colors, kMaxColors);
    program.setUniform1i("strokeCount", s.strokeCount);
    program.setUniform1i("colorCount", s.colorCount);
    program.setUniform1i("colorType", static_cast<std::int32_t>(s.colorType));
    program.setUniform1i("visibleDirection", static_cast<std::int32_t>(s.visibleDirection));
    program.setUniform1f("visibleSeed", static_cast<float>(s.visibleSeed / 10000.0));
    program.setUniform1f("visibleValue", static_cast<float>(s.visibleValue));
    program.setUniform1f("colorSeed", static_cast<float>(s.colorSeed / 10000.0));
    program.setUniform1f("edgeStartDist", static_cast<float>(s.edgeStartDist));
    program.setUniform1f("edgeEndDist", static_cast<float>(s.edgeEndDist));
    program.setUniform1f("glowAlpha", static_cast<float>(s.glowAlpha));
    // Below one percent Glow Random is off.
    program.setUniform1f("glowRandom",
                         s.glowRandom < 0.01 ? 0.0f : static_cast<float>(s.glowRandom));
    program.setUniform1f("glowSeed", static_cast<float>(s.glowSeed / 10000.0));
}

void NeonRenderer::ensureStrokeTable() {
    if (strokeTable) {
        return;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    strokeTable.reset(texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), kMaxStrokes, 2, 0, GL_RGBA,
                 GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    strokeTableBuffer.reset(buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, kStrokeTableBytes, nullptr, GL_STREAM_COPY);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void NeonRenderer::release() {
    quad.release();
    distanceField.release();
    for (OpenglShader* shader : programs()) {
        shader->release();
    }
    strokeTable.reset();
    strokeTableBuffer.reset();
    profileTexture.reset();
    holdsGlObjects = false;
}

void NeonRenderer::abandon() {
    quad.abandon();
    distanceField.abandon();
    for (OpenglShader* shader : programs()) {
        shader->abandon();
    }
    strokeTable.abandon();
    strokeTableBuffer.abandon();
    profileTexture.abandon();
    holdsGlObjects = false;
}

} // namespace Neon
} // namespace Kelvane
