#include "effect/neon/GaussianSmoother.h"

#include "effect/gl/RenderTarget.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <locale>
#include <sstream>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

// The Smooth control's valid range.
constexpr double kMinBlurRadius = 1.0;
constexpr double kMaxBlurRadius = 40.0;
// The pair a new smoother starts with; a rounded radius of 2 maps back to it.
constexpr double kInitialSigma = 2.0;
constexpr std::int32_t kInitialSampleRadius = 4;
// Pairs whose coordinates come from the vertex stage: 2 * 7 + 1 = 15 varyings.
constexpr std::int32_t kMaxVertexPairs = 7;

// Merged neighbouring texels: one linear fetch at `offset` texels weighted `weight`.
struct Tap {
    float weight;
    float offset;
};

std::vector<Tap> tapsFor(const std::vector<float>& w) {
    const std::size_t radius = w.size() - 1;
    const std::size_t pairs = radius / 2 + radius % 2;
    std::vector<Tap> taps;
    taps.reserve(pairs);
    for (std::size_t k = 0; k < pairs; ++k) {
        const float inner = w[2 * k + 1];
        // An odd radius leaves the last pair one texel short.
        const float outer = 2 * k + 2 <= radius ? w[2 * k + 2] : 0.0f;
        const float weight = outer + inner;
        const float outerMoment = static_cast<float>(2 * k + 2) * outer;
        const float innerMoment = static_cast<float>(2 * k + 1) * inner;
        taps.push_back({weight, (outerMoment + innerMoment) / weight});
    }
    return taps;
}

// GLSL needs a decimal point whatever locale the host or another plug-in set for the process:
// to_chars reads no locale (a stream reads the global one, and some standard libraries switch
// the C library's around each number). Six significant digits, as printf's %g.
std::string glslNumber(float value) {
    char digits[32];
    const std::to_chars_result end =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 6);
    return std::string(digits, end.ptr);
}

// The integers go through the stream: the classic locale keeps them ungrouped.
std::ostringstream glslText() {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    return text;
}

std::int32_t vertexPairs(const std::vector<Tap>& taps) {
    return std::min(static_cast<std::int32_t>(taps.size()), kMaxVertexPairs);
}

} // namespace

GaussianSmoother::GaussianSmoother() = default;

GaussianSmoother::~GaussianSmoother() = default;

void GaussianSmoother::setBlurRadius(double radius) {
    // NaN takes the bottom of the range like any other value below it.
    const double clamped =
        std::isnan(radius) ? kMinBlurRadius : std::clamp(radius, kMinBlurRadius, kMaxBlurRadius);
    // Rounded here in double: the float conversion could turn x.4999... into x.5.
    const double rounded = std::round(clamped);
    if (rounded != lastBlurRadius) {
        computeSampling(static_cast<float>(rounded));
        dirty = true;
    }
}

void GaussianSmoother::computeSampling(float radius) {
    const double s = std::round(static_cast<double>(radius));
    lastBlurRadius = s;
    if (s == kInitialSigma) {
        sigma_ = kInitialSigma;
        sampleRadius_ = kInitialSampleRadius;
        return;
    }
    // Where the density with deviation s falls to 1/256 of unit height.
    const double a = s * s;
    const double r =
        std::floor(std::sqrt((a * -2.0) * std::log(std::sqrt(a * 6.2831853) * 0.00390625)));
    std::int32_t samples = static_cast<std::int32_t>(r);
    if (samples % 2 != 0) {
        ++samples;
    }
    sigma_ = s;
    sampleRadius_ = samples;
}

std::vector<float> GaussianSmoother::weights() const {
    const std::int32_t radius = std::max<std::int32_t>(sampleRadius_, 0);
    std::vector<float> w(static_cast<std::size_t>(radius) + 1);
    const double variance = std::pow(sigma_, 2);
    const double height = 1.0 / std::sqrt(variance * 6.2831853);
    for (std::int32_t i = 0; i <= radius; ++i) {
        w[i] = static_cast<float>(height * std::exp(std::pow(i, 2) / (variance * -2.0)));
    }
    float total = 0.0f;
    for (std::int32_t i = 0; i <= radius; ++i) {
        total += i == 0 ? w[i] : w[i] + w[i];
    }
    for (float& weight : w) {
        weight /= total;
    }
    return w;
}

std::string GaussianSmoother::vertexShaderText() const {
    const std::vector<Tap> taps = tapsFor(weights());
    const std::int32_t m = vertexPairs(taps);
    std::ostringstream text = glslText();
    text << "#version 330\n in vec2 position; in vec2 input_uv; out vec2 uv; "
         << "uniform vec2 texelOffset;\n"
         << "uniform vec2 viewSize;\n"
         << "out vec2 blurCoordinates[" << 2 * m + 1 << "];\n"
         << "void main(){\n"
         << "    vec2 singleStepOffset = vec2(texelOffset.x / viewSize.x, texelOffset.y / "
            "viewSize.y);\n"
         << "    blurCoordinates[0] = input_uv.xy;\n";
    for (std::int32_t k = 0; k < m; ++k) {
        text << "    blurCoordinates[" << 2 * k + 1 << "] = input_uv.xy + singleStepOffset * "
             << glslNumber(taps[k].offset) << ";\n"
             << "    blurCoordinates[" << 2 * k + 2 << "] = input_uv.xy - singleStepOffset * "
             << glslNumber(taps[k].offset) << ";\n";
    }
    text << "uv = input_uv; gl_Position = vec4(position, 0.0, 1.0); }";
    return text.str();
}

std::string GaussianSmoother::fragmentShaderText() const {
    const std::vector<float> w = weights();
    const std::vector<Tap> taps = tapsFor(w);
    const std::int32_t n = static_cast<std::int32_t>(taps.size());
    const std::int32_t m = vertexPairs(taps);
    std::ostringstream text = glslText();
    text << "#version 330\n in vec2 uv; uniform sampler2D videoTexture; out vec4 colourOut;\n"
         << "uniform float multiplier16bit;"
         << "uniform vec2 texelOffset;\n"
         << "uniform vec2 viewSize;\n"
         << "in vec2 blurCoordinates[" << 2 * m + 1 << "];\n"
         << "void main() {\n    vec4 sum = vec4(0.0);\n"
         << "    sum += texture(videoTexture, blurCoordinates[0]) * " << glslNumber(w[0]) << ";\n";
    for (std::int32_t k = 0; k < m; ++k) {
        text << "    sum += texture(videoTexture, blurCoordinates[" << 2 * k + 1 << "]) * "
             << glslNumber(taps[k].weight) << ";\n"
             << "    sum += texture(videoTexture, blurCoordinates[" << 2 * k + 2 << "]) * "
             << glslNumber(taps[k].weight) << ";\n";
    }
    // Beyond the varyings the vertex stage can pass, offsets are applied per fragment.
    if (n > m) {
        text << "    vec2 singlStepOffset = vec2(texelOffset.x / viewSize.x, texelOffset.y / "
                "viewSize.y);\n";
        for (std::int32_t k = m; k < n; ++k) {
            text << "    sum += texture(videoTexture, blurCoordinates[0] + singlStepOffset *"
                 << glslNumber(taps[k].offset) << ") * " << glslNumber(taps[k].weight) << ";\n"
                 << "    sum += texture(videoTexture, blurCoordinates[0] - singlStepOffset *"
                 << glslNumber(taps[k].offset) << ") * " << glslNumber(taps[k].weight) << ";\n";
        }
    }
    // A positive multiplier turns (r, g, b, a) into the premultiplied (g, b, a, r) order the
    // output conversion expects: its red is r times g, which is r squared where they are
    // equal.
    if (redOnly_) {
        text << "    if (multiplier16bit <= 0) { colourOut = sum; } else {\n"
             << "        vec4 c = sum * multiplier16bit;\n"
             << "        colourOut = vec4(c.r * c.r, 0.0, 0.0, c.r);\n    }}\n";
        return text.str();
    }
    text << "    if(multiplier16bit <= 0){colourOut = sum;}else{"
         << "\t\tcolourOut = sum * multiplier16bit; \t\tcolourOut = vec4(colourOut.g, "
            "colourOut.b, colourOut.a, colourOut.r);\n \t\tcolourOut = vec4(colourOut.a * "
            "colourOut.r, colourOut.a * colourOut.g, colourOut.a * colourOut.b, "
            "colourOut.a);\n "
         << "    }}\n";
    return text.str();
}

void GaussianSmoother::blur(RenderTarget& target, FullScreenQuad& quad, const Vec2d& size,
                            GLuint source, GLuint destination, float multiplier16bit) {
    viewSize = size;
    // An empty (or NaN) size has nothing to draw and would only leave framebuffer errors.
    if (!(size.x >= 1.0 && size.y >= 1.0)) {
        return;
    }
    if (dirty || !program) {
        program.reset();
        program = std::make_unique<OpenglShader>(vertexShaderText(), fragmentShaderText());
        program->bindAttribLocation("position", 0);
        program->bindAttribLocation("input_uv", 1);
        dirty = false;
    }

    // Vertical pass into a texture kept for the next frame of this size (storage this large
    // costs more to get than to keep), always the raw weighted sum.
    if (!temporary || temporarySize.x != size.x || temporarySize.y != size.y) {
        deleteTemporary();
        temporary = target.createTexture(size, redOnly_ ? 1 : 4);
        temporarySize = size;
    }
    target.beginRenderToTexture(temporary.get(), size, 0);
    quad.bind();
    program->use();
    program->setUniform2f("viewSize", viewSize);
    program->setUniform2f("texelOffset", 0.0f, 1.0f);
    program->setUniform1f("multiplier16bit", -1.0f);
    program->setTexture("videoTexture", GL_TEXTURE_2D, source, 0);
    quad.draw(*program, 2);
    target.endRenderToTexture();

    // Horizontal pass into the destination, with the caller's output conversion.
    target.beginRenderToTexture(destination, size, 0);
    quad.bind();
    program->use();
    program->setUniform2f("viewSize", viewSize);
    program->setUniform2f("texelOffset", 1.0f, 0.0f);
    program->setTexture("videoTexture", GL_TEXTURE_2D, temporary.get(), 0);
    program->setUniform1f("multiplier16bit", multiplier16bit);
    quad.draw(*program, 2);
    target.endRenderToTexture();
}

void GaussianSmoother::setRedOnly(bool redOnly) {
    if (redOnly != redOnly_) {
        redOnly_ = redOnly;
        dirty = true;
        deleteTemporary();
    }
}

void GaussianSmoother::deleteTemporary() {
    temporary.reset();
    temporarySize = Vec2d{};
}

void GaussianSmoother::release() {
    program.reset();
    deleteTemporary();
    dirty = true;
}

void GaussianSmoother::abandon() {
    if (program) {
        program->abandon();
    }
    program.reset();
    temporary.abandon();
    temporarySize = Vec2d{};
    dirty = true;
}

} // namespace Neon
} // namespace Kelvane
