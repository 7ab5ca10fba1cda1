// A root context current on the test's thread for the length of one test, and the pieces a
// frame needs: a pass-through program over the full-screen quad and the frame sequence itself.
#pragma once

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "standins/aehost/host/World.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/FrameTransfer.h"
#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/RenderTarget.h"
#include "standins/win32/StandInControl.h"

#include "GlSources.h"

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Kelvane::Neon::Test {

using namespace gl;

inline GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// Every pending error as hex codes, "" when there are none; reading them clears them.
inline std::string glErrors() {
    std::string errors;
    for (int i = 0; i < 16; ++i) {
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR) {
            break;
        }
        char code[16];
        std::snprintf(code, sizeof code, "%s0x%04x", errors.empty() ? "" : " ",
                      static_cast<unsigned>(e));
        errors += code;
    }
    return errors;
}

// The uploaded texture holds the host's bytes (alpha, red, green, blue); the layer takes
// premultiplied red, green, blue, alpha.
constexpr const char* kPassThroughFragment = R"(#version 330
in vec2 uv;
out vec4 colourOut;
uniform sampler2D source;
void main() {
    vec4 argb = texture(source, uv);
    colourOut = vec4(argb.gba * argb.r, argb.r);
}
)";

// One colour everywhere.
constexpr const char* kConstantFragment = R"(#version 330
in vec2 uv;
out vec4 colourOut;
uniform vec4 colour;
void main() {
    colourOut = colour;
}
)";

class Pass {
public:
    explicit Pass(const char* fragment) : program(Kelvane::Neon::glsl::kCommonVertex, fragment) {
        program.bindAttribLocation("position", 0);
        program.bindAttribLocation("input_uv", 1);
    }
    void drawTexture(GLuint texture) {
        quad.bind();
        program.use();
        program.setTexture("source", GL_TEXTURE_2D, texture, 0);
        quad.draw(program);
    }
    void drawColour(const float (&rgba)[4]) {
        quad.bind();
        program.use();
        program.setUniform4fv("colour", rgba, 1);
        quad.draw(program);
    }

    Kelvane::Neon::OpenglShader program;
    Kelvane::Neon::FullScreenQuad quad;
};

// The tests' render target: one for the process, never deleted, as a frame's target is.
inline Kelvane::Neon::RenderTarget& testTarget() {
    static auto* target = new Kelvane::Neon::RenderTarget();
    return *target;
}

struct Transfer {
    std::uint64_t bytesPerPixel = 0;
    GLenum pixelType = GL_NONE;
    float multiplier = 0.0f;
};

// Upload, pass-through draw into the layer, resolve and conversion; the converted frame is
// left bound for reading.
inline Transfer drawFrame(Kelvane::Neon::Host::World& input, PF_InData* inData, Pass& pass) {
    using namespace Kelvane::Neon;
    RenderTarget& target = testTarget();
    target.resize(input.width(), input.height());
    target.begin();
    Transfer t;
    Texture texture = uploadTexture(kFormatArgb8, input.world(), inData, &t.bytesPerPixel,
                                    &t.pixelType, &t.multiplier);
    pass.drawTexture(texture.get());
    texture.reset();
    target.finish(t.multiplier);
    return t;
}

inline void renderFrame(Kelvane::Neon::Host::World& input, Kelvane::Neon::Host::World& output,
                        PF_InData* inData, Pass& pass) {
    const Transfer t = drawFrame(input, inData, pass);
    Kelvane::Neon::downloadTexture(input.width(), input.height(), input.world(), output.world(),
                                   inData, Kelvane::Neon::kFormatArgb8, t.bytesPerPixel,
                                   t.pixelType);
}

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Kelvane::Neon::StandIn::displayPlatform().empty())
            << "no EGL display for contexts";
        ASSERT_NO_THROW(Kelvane::Neon::ContextRegistry::createRoot());
        ASSERT_NE(Kelvane::Neon::ContextRegistry::rootContext(), nullptr);
        glErrors();
    }

    void TearDown() override {
        testTarget().release();
        Kelvane::Neon::ContextRegistry::destroyAll();
    }
};

} // namespace Kelvane::Neon::Test
