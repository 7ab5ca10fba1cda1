#include "benchmarks/Floor.h"

#include "GlSources.h"
#include "effect/gl/AEOpenGLContext.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/OpenglShader.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

using namespace gl;
using namespace Kelvane::Neon;

namespace Kelvane::Neon::Bench {
namespace {

constexpr const char* kCopy = R"glsl(#version 330
in vec2 uv;
out vec4 colourOut;
uniform sampler2D videoTexture;
void main() {
    colourOut = texture(videoTexture, uv);
}
)glsl";

} // namespace

double floorMillis(int width, int height, int repeats) {
    ContextRegistry::contextForCurrentThread()->makeCurrent();
    std::vector<std::uint8_t> frame(std::size_t(width) * height * 4, 77);
    std::vector<std::uint8_t> back(frame.size());
    OpenglShader program(glsl::kCommonVertex, kCopy);
    program.bindAttribLocation("position", 0);
    program.bindAttribLocation("input_uv", 1);
    FullScreenQuad quad;
    GLuint framebuffer = 0, target = 0, texture = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &target);
    glBindRenderbuffer(GL_RENDERBUFFER, target);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target);
    glViewport(0, 0, width, height);

    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     frame.data());
        quad.bind();
        program.use();
        program.setTexture("videoTexture", GL_TEXTURE_2D, texture, 0);
        quad.draw(program);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
        glDeleteTextures(1, &texture);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &target);
    quad.release();
    glDeleteProgram(program.programName());
    program.abandon();
    wglMakeCurrent(nullptr, nullptr);
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

} // namespace Kelvane::Neon::Bench
