#include "effect/gl/DownloadPass.h"

#include "GlSources.h"

#include "effect/gl/TextureParameters.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace gl;

namespace Kelvane {
namespace Neon {

namespace {

// The store to check: clamp(x, 0, 1) * 255 in floats, rounded to even.
std::uint8_t storedByte(float x) {
    const float clamped = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
    return static_cast<std::uint8_t>(std::nearbyint(clamped * 255.0f));
}

// Values for the store: 0, 1, beyond both, and four floats either side of every tie
// (k + 0.5) / 255, four to a texel.
std::vector<float> storeProbeValues() {
    std::vector<float> values = {0.0f, 1.0f, -0.5f, 2.0f};
    for (int k = 0; k < 255; ++k) {
        float x = (k + 0.5f) / 255.0f;
        for (int i = 0; i < 4; ++i) {
            x = std::nextafter(x, 0.0f);
        }
        for (int i = 0; i < 8; ++i) {
            values.push_back(x);
            x = std::nextafter(x, 1.0f);
        }
    }
    return values;
}

// A 2D texture of `width` x 1 texels, sampled nearest.
GLuint probeTexture(GLint internalFormat, GLsizei width, GLenum type, const void* texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    setClampedSampling(GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, 1, 0, GL_RGBA, type, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

} // namespace

DownloadPass::DownloadPass()
    : conversionProgram(glsl::kCommonVertex, glsl::kDownloadFragment),
      probeProgram(glsl::kCommonVertex, glsl::kLayerProbeFragment) {
    for (OpenglShader* program : {&conversionProgram, &probeProgram}) {
        program->bindAttribLocation("position", 0);
        program->bindAttribLocation("input_uv", 1);
    }
}

bool DownloadPass::layerIsArithmetic() {
    // Renders come one at a time: the flag only carries the answer to later threads.
    static std::atomic<int> known{0}; // 0 unknown, 1 yes, 2 no
    if (const int answer = known.load(std::memory_order_acquire)) {
        return answer == 1;
    }
    const std::vector<float> values = storeProbeValues();
    const GLsizei storeTexels = static_cast<GLsizei>(values.size() / 4);
    std::vector<std::uint8_t> bytes(256 * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i / 4);
    }
    GLuint textures[4] = {
        probeTexture(static_cast<GLint>(GL_RGBA32F), storeTexels, GL_FLOAT, values.data()),
        probeTexture(static_cast<GLint>(GL_RGBA), storeTexels, GL_UNSIGNED_BYTE, nullptr),
        probeTexture(static_cast<GLint>(GL_RGBA), 256, GL_UNSIGNED_BYTE, bytes.data()),
        probeTexture(static_cast<GLint>(GL_RGBA32F), 256, GL_FLOAT, nullptr)};
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDisable(GL_BLEND);
    quad.bind();
    probeProgram.use();
    // Sentinels that no store or read gives.
    std::vector<std::uint8_t> stored(values.size(), 0x5A);
    std::vector<float> read(bytes.size(), -1.0f);
    for (int pass = 0; pass < 2; ++pass) {
        const bool storing = pass == 0;
        const GLsizei width = storing ? storeTexels : 256;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               textures[storing ? 1 : 3], 0);
        glViewport(0, 0, width, 1);
        probeProgram.setUniform1i("storing", storing ? 1 : 0);
        probeProgram.setTexture("probeTexture", GL_TEXTURE_2D, textures[storing ? 0 : 2], 0);
        quad.draw(probeProgram);
        if (storing) {
            glReadPixels(0, 0, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, stored.data());
        } else {
            glReadPixels(0, 0, width, 1, GL_RGBA, GL_FLOAT, read.data());
        }
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(4, textures);
    glBindVertexArray(0);

    bool same = true;
    bool answered = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
        same = same && stored[i] == storedByte(values[i]);
    }
    for (std::size_t i = 0; i < read.size(); ++i) {
        answered = answered && read[i] >= 0.0f;
        same = same && read[i] == static_cast<float>(i / 4) * (1.0f / 255.0f);
    }
    // A probe that read nothing back (a context in trouble) is tried again next time.
    if (same || answered) {
        known.store(same ? 1 : 2, std::memory_order_release);
    }
    return same;
}

void DownloadPass::draw(GLuint texture, float multiplier16bit) {
    quad.bind();
    conversionProgram.use();
    conversionProgram.setTexture("videoTexture", GL_TEXTURE_2D, texture, 0);
    conversionProgram.setUniform1f("multiplier16bit", multiplier16bit);
    quad.draw(conversionProgram);
}

void DownloadPass::release() {
    quad.release();
}

void DownloadPass::abandon() {
    quad.abandon();
    conversionProgram.abandon();
    probeProgram.abandon();
}

} // namespace Neon
} // namespace Kelvane
