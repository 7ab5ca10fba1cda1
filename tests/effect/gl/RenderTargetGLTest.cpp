// The frame's drawing surface: sizing, the layer stack, the resolve, and drawing into textures.

#include "tests/effect/gl/GlFixture.h"

#include <array>

namespace {

using namespace Kelvane::Neon::Test;
using Kelvane::Neon::RenderTarget;
using Kelvane::Neon::Texture;
using Kelvane::Neon::Vec2d;

using Rgba8 = std::array<std::uint8_t, 4>;

GLint attachedName() {
    GLint name = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return name;
}

GLint renderbufferValue(GLuint renderbuffer, GLenum name) {
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    GLint value = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, name, &value);
    return value;
}

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

void clearTo(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Texels of an 8-bit texture, or "" when every one is `expected`.
std::string textureDiffers(GLuint texture, int width, int height, Rgba8 expected) {
    std::vector<std::uint8_t> texels(std::size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    for (std::size_t i = 0; i < texels.size(); i += 4) {
        const Rgba8 got{texels[i], texels[i + 1], texels[i + 2], texels[i + 3]};
        if (got != expected) {
            const std::size_t texel = i / 4;
            return "texel (" + std::to_string(texel % width) + ", " +
                   std::to_string(texel / width) + ") is " + std::to_string(got[0]) + " " +
                   std::to_string(got[1]) + " " + std::to_string(got[2]) + " " +
                   std::to_string(got[3]);
        }
    }
    return "";
}

using RenderTargetGLTest = GlTest;

TEST_F(RenderTargetGLTest, ResizeToTheSameSizeKeepsEveryObjectAndTheLayers) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    target.begin();
    target.pushLayer();
    const std::array<GLuint, 4> objects{target.mainFramebuffer(), target.resolveFramebuffer(),
                                        target.multisampleFramebuffer(),
                                        target.outputRenderbuffer()};
    for (GLuint name : objects) {
        EXPECT_NE(name, 0u);
    }
    const std::vector<GLuint> layers = target.layers();
    ASSERT_EQ(layers.size(), 2u);

    target.resize(7, 5);
    EXPECT_EQ(target.mainFramebuffer(), objects[0]);
    EXPECT_EQ(target.resolveFramebuffer(), objects[1]);
    EXPECT_EQ(target.multisampleFramebuffer(), objects[2]);
    EXPECT_EQ(target.outputRenderbuffer(), objects[3]);
    EXPECT_EQ(target.layers(), layers);
}

TEST_F(RenderTargetGLTest, ResizeToANewSizeEmptiesTheStackAndSizesTheOutput) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    EXPECT_EQ(renderbufferValue(target.outputRenderbuffer(), GL_RENDERBUFFER_WIDTH), 7);
    EXPECT_EQ(renderbufferValue(target.outputRenderbuffer(), GL_RENDERBUFFER_HEIGHT), 5);
    target.begin();
    target.pushLayer();

    target.resize(33, 17);
    EXPECT_TRUE(target.layers().empty());
    EXPECT_EQ(target.width(), 33);
    EXPECT_EQ(target.height(), 17);
    ASSERT_NE(target.outputRenderbuffer(), 0u);
    EXPECT_EQ(renderbufferValue(target.outputRenderbuffer(), GL_RENDERBUFFER_WIDTH), 33);
    EXPECT_EQ(renderbufferValue(target.outputRenderbuffer(), GL_RENDERBUFFER_HEIGHT), 17);
    EXPECT_NE(target.multisampleFramebuffer(), 0u);

    target.begin();
    ASSERT_EQ(target.layers().size(), 1u);
    EXPECT_EQ(renderbufferValue(target.layers()[0], GL_RENDERBUFFER_WIDTH), 33);
    EXPECT_EQ(renderbufferValue(target.layers()[0], GL_RENDERBUFFER_HEIGHT), 17);
}

TEST_F(RenderTargetGLTest, BeginBindsACompleteMultisampleLayerOverTheWholeFrame) {
    RenderTarget& target = testTarget();
    target.resize(33, 17);
    target.begin();

    ASSERT_EQ(target.layers().size(), 1u);
    EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING),
              static_cast<GLint>(target.multisampleFramebuffer()));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    EXPECT_EQ(attachedName(), static_cast<GLint>(target.layers().back()));
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 33, 17}));

    const GLint allowed = glInteger(GL_MAX_SAMPLES);
    const GLsizei asked = RenderTarget::layerSamples();
    EXPECT_GE(asked, 1);
    EXPECT_LE(asked, std::max(allowed, 1));
    // A driver may give more samples than asked, never more than it allows.
    const GLint samples = renderbufferValue(target.layers().back(), GL_RENDERBUFFER_SAMPLES);
    EXPECT_GE(samples, asked > 1 ? asked : 0);
    EXPECT_LE(samples, allowed);
}

// A context's first frame finds no framebuffer object bound; begin must not act on the
// default framebuffer as if it were its own.
TEST_F(RenderTargetGLTest, BeginRaisesNoGlErrorOnAContextsFirstFrame) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glErrors();
    target.begin();
    EXPECT_EQ(glErrors(), "");
    EXPECT_EQ(glInteger(GL_DRAW_BUFFER), static_cast<GLint>(GL_COLOR_ATTACHMENT0));
}

TEST_F(RenderTargetGLTest, PoppingResolvesTheTopLayerAndReattachesTheOneBelow) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    target.begin();
    clearTo(1, 0, 0, 1);
    target.pushLayer();
    clearTo(0, 1, 0, 0.5f);
    const GLuint lower = target.layers()[0];

    GLuint topName = 0;
    {
        const Texture top = target.popLayerToTexture();
        ASSERT_TRUE(top);
        topName = top.get();
        ASSERT_EQ(target.layers().size(), 1u);
        EXPECT_EQ(target.layers()[0], lower);
        EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING),
                  static_cast<GLint>(target.multisampleFramebuffer()));
        EXPECT_EQ(attachedName(), static_cast<GLint>(lower));
        EXPECT_EQ(textureDiffers(top.get(), 7, 5, {0, 255, 0, 128}), "");
    }
    // The caller's texture went with its owner.
    EXPECT_FALSE(glIsTexture(topName));

    Texture bottom = target.popLayerToTexture();
    ASSERT_TRUE(bottom);
    // Moving hands the one texture on; the moved-from owner holds nothing.
    const Texture moved = std::move(bottom);
    EXPECT_FALSE(bottom);
    EXPECT_EQ(textureDiffers(moved.get(), 7, 5, {255, 0, 0, 255}), "");
    EXPECT_TRUE(target.layers().empty());
    EXPECT_FALSE(target.popLayerToTexture());
}

// A single-sample layer is the texture handed on: no copy, nothing left attached to it.
TEST_F(RenderTargetGLTest, ASingleSampleLayerIsHandedOnAsDrawnOverAMultisampledOne) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    target.begin();
    clearTo(1, 0, 0, 1);
    target.pushLayer(false);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    clearTo(0, 0, 1, 0.5f);
    const GLuint single = target.layers()[1];
    EXPECT_TRUE(glIsTexture(single));

    const Texture top = target.popLayerToTexture();
    EXPECT_EQ(top.get(), single);
    EXPECT_EQ(textureDiffers(top.get(), 7, 5, {0, 0, 255, 128}), "");
    EXPECT_EQ(attachedName(), static_cast<GLint>(target.layers()[0]));
    const Texture bottom = target.popLayerToTexture();
    EXPECT_EQ(textureDiffers(bottom.get(), 7, 5, {255, 0, 0, 255}), "");
    EXPECT_EQ(glErrors(), "");
}

TEST_F(RenderTargetGLTest, FinishOnAnEmptyStackDrawsNothingAndKeepsTheBinding) {
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    target.begin();
    target.popLayerToTexture();
    ASSERT_TRUE(target.layers().empty());

    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              target.outputRenderbuffer());
    glViewport(0, 0, 7, 5);
    clearTo(0.2f, 0.4f, 0.6f, 0.8f);

    target.finish(1.0f);
    EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING), static_cast<GLint>(framebuffer));
    EXPECT_EQ(glInteger(GL_READ_FRAMEBUFFER_BINDING), static_cast<GLint>(framebuffer));
    std::vector<std::uint8_t> pixels(7 * 5 * 4);
    glReadPixels(0, 0, 7, 5, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        EXPECT_EQ((Rgba8{pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]}),
                  (Rgba8{51, 102, 153, 204}))
            << "pixel " << i / 4;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}

TEST_F(RenderTargetGLTest, RenderToTextureDrawsThereThenRestoresTheTopLayerAndViewport) {
    RenderTarget& target = testTarget();
    target.resize(33, 17);
    target.begin();
    glErrors();
    clearTo(0, 0, 1, 1);

    const Vec2d size{9, 6};
    const Texture owned = target.createTexture(size);
    const GLuint texture = owned.get();
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(textureDiffers(texture, 9, 6, {0, 0, 0, 0}), "");

    target.beginRenderToTexture(texture, size, 0);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 9, 6}));
    EXPECT_EQ(attachedName(), static_cast<GLint>(texture));
    Pass pass(kConstantFragment);
    pass.drawColour({0.25f, 0.5f, 0.75f, 1.0f});
    target.endRenderToTexture();

    EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING),
              static_cast<GLint>(target.multisampleFramebuffer()));
    EXPECT_EQ(attachedName(), static_cast<GLint>(target.layers().back()));
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 33, 17}));
    EXPECT_EQ(glErrors(), "");

    std::vector<float> texels(9 * 6 * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    for (std::size_t i = 0; i < texels.size(); ++i) {
        ASSERT_FLOAT_EQ(texels[i], colour[i % 4]) << "texel " << i / 4;
    }

    // The layer underneath kept what it held before.
    const Texture resolved = target.popLayerToTexture();
    EXPECT_EQ(textureDiffers(resolved.get(), 33, 17, {0, 0, 255, 255}), "");
}

} // namespace
