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

void makeCurrent() {
    ContextRegistry::contextForCurrentThread()->makeCurrent();
}

} // namespace

Floor::Floor(int width, int height)
    : width_(width), height_(height), frame_(std::size_t(width) * height * 4, 77),
      back_(frame_.size()), program_(std::make_unique<OpenglShader>(glsl::kCommonVertex, kCopy)),
      quad_(std::make_unique<FullScreenQuad>()) {
    makeCurrent();
    program_->bindAttribLocation("position", 0);
    program_->bindAttribLocation("input_uv", 1);
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &target_);
    glBindRenderbuffer(GL_RENDERBUFFER, target_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    once(); // the program is built and the storage touched outside the measured trips
}

Floor::~Floor() {
    makeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &target_);
    glDeleteTextures(1, &texture_);
    quad_->release();
    program_->release();
    wglMakeCurrent(nullptr, nullptr);
}

double Floor::once() {
    makeCurrent();
    const auto start = std::chrono::steady_clock::now();
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE,
                    frame_.data());
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target_);
    glViewport(0, 0, width_, height_);
    quad_->bind();
    program_->use();
    program_->setTexture("videoTexture", GL_TEXTURE_2D, texture_, 0);
    quad_->draw(*program_);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, back_.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Floor::median(int trips) {
    std::vector<double> times;
    for (int i = 0; i < trips; ++i) {
        times.push_back(once());
    }
    return medianOf(times);
}

double medianOf(std::vector<double>& values) {
    if (values.empty()) {
        return 0.0;
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace Kelvane::Neon::Bench
