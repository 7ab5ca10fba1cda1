#include "NeonRenderer.h"

#include "GlSources.h"
#include "gl/RenderTarget.h"
#include "gl/Straightforward.h"
#include "host/NeonParams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

// Checks the control out at the frame's time, so animated values are read where the frame
// is, hands the record to `convert` and checks it in again. A failed checkout stores nothing
// and has nothing to check in.
template <typename Convert> bool readParam(PF_InData* in_data, int index, Convert convert) {
    if (in_data == nullptr || in_data->inter.checkout_param == nullptr) {
        return false;
    }
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    if (in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time,
                                      in_data->time_step, in_data->time_scale,
                                      &def) != PF_Err_NONE) {
        return false;
    }
    const bool stored = convert(def);
    if (in_data->inter.checkin_param != nullptr) {
        in_data->inter.checkin_param(in_data->effect_ref, &def);
    }
    return stored;
}

// The integer part of a 16.16 fixed value, the fraction dropped.
std::int32_t fixedWhole(PF_Fixed value) {
    return static_cast<std::int32_t>(value >> 16);
}

// The slider types as a double: integer slider, fixed slider's integer part, float slider.
bool sliderValue(const PF_ParamDef& def, double* value) {
    switch (def.param_type) {
    case PF_Param_SLIDER:
        *value = def.u.sd.value;
        return true;
    case PF_Param_FIX_SLIDER:
        *value = fixedWhole(def.u.fd.value);
        return true;
    case PF_Param_FLOAT_SLIDER:
        *value = def.u.fs_d.value;
        return true;
    default:
        return false;
    }
}

} // namespace

bool readPopup(PF_InData* in_data, int index, std::int32_t* value) {
    return readParam(in_data, index, [value](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_POPUP) {
            return false;
        }
        *value = def.u.pd.value - 1;
        return true;
    });
}

bool readInt(PF_InData* in_data, int index, std::int32_t* value) {
    return readParam(in_data, index, [value](const PF_ParamDef& def) {
        switch (def.param_type) {
        case PF_Param_SLIDER:
            *value = def.u.sd.value;
            return true;
        case PF_Param_FIX_SLIDER:
            *value = fixedWhole(def.u.fd.value);
            return true;
        case PF_Param_FLOAT_SLIDER: {
            // Truncated toward zero; a value no int can hold is not stored.
            const double v = std::trunc(def.u.fs_d.value);
            if (!(v >= std::numeric_limits<std::int32_t>::min() &&
                  v <= std::numeric_limits<std::int32_t>::max())) {
                return false;
            }
            *value = static_cast<std::int32_t>(v);
            return true;
        }
        default:
            return false;
        }
    });
}

bool readDouble(PF_InData* in_data, int index, double* value) {
    return readParam(in_data, index,
                     [value](const PF_ParamDef& def) { return sliderValue(def, value); });
}

bool readPercent(PF_InData* in_data, int index, double* value) {
    double percent = 0.0;
    if (!readDouble(in_data, index, &percent)) {
        return false;
    }
    *value = percent / 100.0;
    return true;
}

bool readColor(PF_InData* in_data, int index, NeonColor* value) {
    return readParam(in_data, index, [value](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_COLOR) {
            return false;
        }
        const PF_Pixel& p = def.u.cd.value;
        value->red = p.red / 255.0;
        value->green = p.green / 255.0;
        value->blue = p.blue / 255.0;
        value->alpha = p.alpha / 255.0;
        return true;
    });
}

std::int32_t floodLevels(double edgeEndDist, double edgeSize, double glowSize, std::int32_t scale) {
    // The farthest a stroke and its glow reach, in map texels.
    const auto reach = static_cast<std::int32_t>(std::ceil(edgeEndDist + edgeSize + glowSize));
    const double texels = std::ceil(reach / static_cast<double>(std::max(scale, 1)));
    std::int32_t levels = 1;
    for (double step = 2.0; step < texels && levels <= 10; step *= 2.0) {
        ++levels;
    }
    return levels;
}

namespace {

// Every stroke program starts with the stroke settings. The fast programs leave out, at
// compile time, what their frames do not use.
std::string withStrokeSettings(const char* fragment, bool straightforward, bool overOrigin) {
    return glslWithSwitches({{"STRAIGHTFORWARD", straightforward}, {"OVER_ORIGIN", overOrigin}},
                            {glsl::kStrokeSettings, fragment});
}

} // namespace

std::string strokeFragmentSource(bool straightforward, bool overOrigin) {
    return withStrokeSettings(glsl::kStrokeFragment, straightforward,
                              overOrigin || straightforward);
}

NeonRenderer::NeonRenderer()
    : strokeProgram(glsl::kCommonVertex, strokeFragmentSource(false, false)),
      overOriginProgram(glsl::kCommonVertex, strokeFragmentSource(false, true)),
      asWrittenProgram(glsl::kCommonVertex, strokeFragmentSource(true, true)),
      strokeTableProgram(glsl::kCommonVertex,
                         withStrokeSettings(glsl::kStrokeTableFragment, false, false)) {
    for (OpenglShader* program : programs()) {
        program->bindAttribLocation("position", 0);
        program->bindAttribLocation("input_uv", 1);
    }
}

std::array<OpenglShader*, 4> NeonRenderer::programs() {
    return {&strokeProgram, &overOriginProgram, &asWrittenProgram, &strokeTableProgram};
}

NeonRenderer::~NeonRenderer() {
    if (holdsGlObjects) {
        release();
    }
}

void NeonRenderer::readSettings(PF_InData* in_data) {
    if (in_data == nullptr) {
        return;
    }
    // Controls are in full-resolution layer pixels; a zero denominator would mean no
    // downsampling rather than infinite distances.
    const A_u_long denominator = in_data->downsample_x.den;
    const double den = denominator != 0 ? static_cast<double>(denominator) : 1.0;
    NeonSettings& s = settings;

    readPopup(in_data, NEON_TYPE, &s.neonType);
    // More than the stroke table's slots would read past them.
    if (readInt(in_data, NEON_STROKE_COUNT, &s.strokeCount)) {
        s.strokeCount = std::min(s.strokeCount, kMaxStrokes);
    }

    // Both distances or neither; a start beyond the end swaps with it.
    double a = 0.0;
    double b = 0.0;
    const bool haveStart = readDouble(in_data, NEON_START_DISTANCE, &a);
    const bool haveEnd = readDouble(in_data, NEON_END_DISTANCE, &b);
    if (haveStart && haveEnd) {
        s.edgeStartDist = std::min(a, b) / den;
        s.edgeEndDist = std::max(a, b) / den;
    }

    double value = 0.0;
    if (readDouble(in_data, NEON_STROKE_WIDTH, &value)) {
        s.edgeSize = value / den;
    }

    readPopup(in_data, NEON_DIRECTION, &s.visibleDirection);
    readPercent(in_data, NEON_VISIBILITY, &s.visibleValue);
    readInt(in_data, NEON_VISIBILITY_SEED, &s.visibleSeed);

    readPopup(in_data, NEON_COLOR_TYPE, &s.colorType);
    // More than the eight slots would read past them; fewer than one leaves nothing to pick.
    std::int32_t count = s.colorCount;
    if (readInt(in_data, NEON_COLOR_COUNT, &count)) {
        s.colorCount = std::clamp(count, 1, kMaxColors);
    }
    for (std::int32_t i = 0; i < s.colorCount; ++i) {
        readColor(in_data, NEON_COLOR_1 + i, &s.strokeColors[i]);
    }
    readInt(in_data, NEON_RANDOM_SEED, &s.colorSeed);

    if (readDouble(in_data, NEON_GLOW_SIZE, &value)) {
        s.glowSize = value / den;
    }
    readPercent(in_data, NEON_GLOW_OPACITY, &s.glowAlpha);
    readPercent(in_data, NEON_GLOW_RANDOM, &s.glowRandom);
    readInt(in_data, NEON_GLOW_RANDOM_SEED, &s.glowSeed);

    if (readDouble(in_data, NEON_SMOOTH, &value)) {
        s.smooth = value / den;
    }

    readPopup(in_data, NEON_COMPOSITE, &s.composite);
    readPopup(in_data, NEON_QUALITY, &s.quality);
}

void NeonRenderer::render(GLuint inputTexture, const Vec2d& frameSize) {
    holdsGlObjects = true;
    const NeonSettings& s = settings;
    const std::int32_t scale = std::clamp(s.quality, 0, 3) + 1;
    const std::int32_t levels = floodLevels(s.edgeEndDist, s.edgeSize, s.glowSize, scale);
    distanceField.generate(inputTexture, frameSize, scale, levels, s.neonType, s.edgeEndDist,
                           s.smooth);

    // Each stroke's settings once a frame, into the table the fast stroke pass reads; the
    // passes as written work them out in every fragment.
    const bool asWritten = straightforward();
    if (!asWritten) {
        ensureStrokeTable();
        RenderTarget::instance().beginRenderToTexture(strokeTable, Vec2d{double(kMaxStrokes), 2.0},
                                                      0);
        quad.bind();
        strokeTableProgram.use();
        setStrokeSettings(strokeTableProgram);
        quad.draw(strokeTableProgram);
        // Row 0 then row 1: the block's two arrays. A copy of the floats on the GPU.
        glBindBuffer(GL_PIXEL_PACK_BUFFER, strokeTableBuffer);
        glReadPixels(0, 0, kMaxStrokes, 2, GL_RGBA, GL_FLOAT, nullptr);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        RenderTarget::instance().endRenderToTexture();
    }

    OpenglShader& program =
        asWritten ? asWrittenProgram : (s.composite != 0 ? overOriginProgram : strokeProgram);
    quad.bind();
    program.use();
    setStrokeSettings(program);
    program.setUniform1f("edgeSize", static_cast<float>(s.edgeSize));
    program.setUniform1f("glowSize", static_cast<float>(s.glowSize));
    program.setUniform1f("composite", static_cast<float>(s.composite));
    program.setUniformBlock("StrokeTable", strokeTableBuffer, 0);
    program.setUniform2f("viewSize", frameSize);
    program.setTexture("t0", GL_TEXTURE_2D, distanceField.resultTexture(), 0);
    program.setTexture("t1", GL_TEXTURE_2D, inputTexture, 1);
    quad.draw(program);
}

bool NeonRenderer::layerNeedsSamples() const {
    // The quad's two triangles interpolate the layer's coordinates slightly differently, so
    // along their shared edge a pixel's samples can differ where the layer is read. "Only
    // Neon" reads nothing but the fragment's window position, the same for both triangles:
    // every sample of a pixel gets the same value, and their resolve is that value.
    return straightforward() || settings.composite != 0;
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
    program.setUniform1i("colorType", s.colorType);
    program.setUniform1i("visibleDirection", s.visibleDirection);
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
    if (strokeTable != 0) {
        return;
    }
    glGenTextures(1, &strokeTable);
    glBindTexture(GL_TEXTURE_2D, strokeTable);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), kMaxStrokes, 2, 0, GL_RGBA,
                 GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenBuffers(1, &strokeTableBuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, strokeTableBuffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, kStrokeTableBytes, nullptr, GL_STREAM_COPY);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void NeonRenderer::release() {
    quad.release();
    distanceField.release();
    for (OpenglShader* shader : programs()) {
        if (const GLuint program = shader->programName()) {
            glDeleteProgram(program);
        }
        shader->abandon();
    }
    if (strokeTable != 0) {
        glDeleteTextures(1, &strokeTable);
        glDeleteBuffers(1, &strokeTableBuffer);
        strokeTable = 0;
        strokeTableBuffer = 0;
    }
    holdsGlObjects = false;
}

void NeonRenderer::abandon() {
    quad.abandon();
    distanceField.abandon();
    for (OpenglShader* shader : programs()) {
        shader->abandon();
    }
    strokeTable = 0;
    strokeTableBuffer = 0;
    holdsGlObjects = false;
}

} // namespace Neon
} // namespace Kelvane
