// The smoother on a real context: its two passes against the same separable blur on the CPU,
// the output conversion, and the program's life across radii and sizes.

#include "effect/neon/GaussianSmoother.h"

#include "tests/effect/neon/CommaLocale.h"

#include "effect/gl/ContextRegistry.h"
#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/RenderTarget.h"

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

namespace {

using namespace gl;
using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::FullScreenQuad;
using Kelvane::Neon::GaussianSmoother;
using Kelvane::Neon::RenderTarget;
using Kelvane::Neon::Vec2d;

// Linear filtering may weigh the two texels of a merged pair with only 8 fractional bits: each
// pass is then off by at most 1/512 of the largest texel difference (1 here), and the second
// pass adds its own to the first's, which it carries unchanged (its weights sum to 1).
constexpr double kTolerance = 2.0 / 512.0;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;
    float at(int x, int y, int c) const {
        return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + c];
    }
};

// Values spread over 0..1 with no pattern a blur could smooth away by accident.
Image noise(int width, int height, std::uint32_t seed) {
    Image image{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 4)};
    for (float& value : image.rgba) {
        seed = seed * 1664525u + 1013904223u;
        value = static_cast<float>(seed >> 8) / 16777216.0f;
    }
    return image;
}

// The blur by definition: every texel within the sample radius, borders clamped to the edge.
Image blurOnCpu(const Image& source, const std::vector<float>& weights) {
    const int radius = static_cast<int>(weights.size()) - 1;
    auto pass = [&](const Image& in, int dx, int dy) {
        Image out = in;
        for (int y = 0; y < in.height; ++y) {
            for (int x = 0; x < in.width; ++x) {
                for (int c = 0; c < 4; ++c) {
                    double sum = 0.0;
                    for (int i = -radius; i <= radius; ++i) {
                        const int sx = std::clamp(x + i * dx, 0, in.width - 1);
                        const int sy = std::clamp(y + i * dy, 0, in.height - 1);
                        sum += weights[std::abs(i)] * static_cast<double>(in.at(sx, sy, c));
                    }
                    out.rgba[(static_cast<std::size_t>(y) * in.width + x) * 4 + c] =
                        static_cast<float>(sum);
                }
            }
        }
        return out;
    };
    return pass(pass(source, 0, 1), 1, 0);
}

// First texel whose channels differ from `expected` by more than the tolerance, "" if none.
std::string firstDifference(const Image& got, const Image& expected, double tolerance) {
    for (int y = 0; y < got.height; ++y) {
        for (int x = 0; x < got.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                if (std::abs(got.at(x, y, c) - expected.at(x, y, c)) > tolerance) {
                    std::ostringstream message;
                    message << "texel (" << x << ", " << y << ") channel " << c << ": "
                            << got.at(x, y, c) << ", expected " << expected.at(x, y, c);
                    return message.str();
                }
            }
        }
    }
    return "";
}

class GaussianSmootherGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_THROW(ContextRegistry::createRoot());
        target.resize(8, 8);
        target.begin();
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    void TearDown() override {
        EXPECT_EQ(glGetError(), GL_NO_ERROR);
        for (GLuint texture : textures) {
            glDeleteTextures(1, &texture);
        }
        smoother.release();
        quad.release();
        target.release();
        ContextRegistry::destroyAll();
    }

    GLuint upload(const Image& image) {
        const GLuint texture = target.createTexture(size(image)).abandon();
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.width, image.height, GL_RGBA, GL_FLOAT,
                        image.rgba.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        textures.push_back(texture);
        return texture;
    }

    static Vec2d size(const Image& image) { return {double(image.width), double(image.height)}; }

    Image download(GLuint texture, int width, int height) {
        GLint previous = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture,
                               0);
        Image image{width, height,
                    std::vector<float>(static_cast<std::size_t>(width) * height * 4)};
        glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, image.rgba.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
        glDeleteFramebuffers(1, &framebuffer);
        return image;
    }

    // Blurs `source` into a fresh texture and reads the result back.
    Image blur(const Image& source, float multiplier16bit = 1.0f) {
        const GLuint input = upload(source);
        const GLuint output = target.createTexture(size(source)).abandon();
        textures.push_back(output);
        smoother.blur(target, quad, size(source), input, output, multiplier16bit);
        return download(output, source.width, source.height);
    }

    // Raw sums only: the output conversion is checked on its own.
    std::string blurDiffers(const Image& source) {
        const Image got = blur(source, -1.0f);
        return firstDifference(got, blurOnCpu(source, smoother.weights()), kTolerance);
    }

    RenderTarget target;
    FullScreenQuad quad;
    GaussianSmoother smoother;
    std::vector<GLuint> textures;
};

TEST_F(GaussianSmootherGLTest, MatchesTheSeparableBlurOnTheCpu) {
    // Initial pair, a fragment-stage pair, and a sample radius wider than the texture.
    for (double radius : {2.0, 7.0, 40.0}) {
        smoother.setBlurRadius(radius);
        // Not square, so a swapped axis or size shows.
        EXPECT_EQ(blurDiffers(noise(23, 17, 7)), "") << "radius " << radius;
    }
}

TEST_F(GaussianSmootherGLTest, PositiveMultiplierConvertsTheHorizontalPassOnly) {
    Image grey = noise(12, 9, 3);
    for (std::size_t i = 0; i < grey.rgba.size(); i += 4) {
        grey.rgba[i + 1] = grey.rgba[i + 2] = grey.rgba[i];
        grey.rgba[i + 3] = 1.0f;
    }
    const Image blurred = blurOnCpu(grey, smoother.weights());

    // (B, B, B, 1) becomes (B * B, B * B, B, B); B's error at most doubles in the square.
    Image converted = blurred;
    for (std::size_t i = 0; i < converted.rgba.size(); i += 4) {
        const float b = blurred.rgba[i];
        converted.rgba[i] = converted.rgba[i + 1] = b * b;
        converted.rgba[i + 2] = converted.rgba[i + 3] = b;
    }
    EXPECT_EQ(firstDifference(blur(grey, 1.0f), converted, 2.0 * kTolerance), "");

    for (float raw : {-1.0f, 0.0f}) {
        EXPECT_EQ(firstDifference(blur(grey, raw), blurred, kTolerance), "") << raw;
    }
}

TEST_F(GaussianSmootherGLTest, ProgramIsRemadeOnlyForANewRoundedRadius) {
    smoother.setBlurRadius(3);
    EXPECT_EQ(blurDiffers(noise(16, 11, 5)), "");
    EXPECT_FALSE(smoother.programOutdated());

    smoother.setBlurRadius(3.4);
    EXPECT_FALSE(smoother.programOutdated());

    smoother.setBlurRadius(4);
    EXPECT_TRUE(smoother.programOutdated());
    EXPECT_EQ(blurDiffers(noise(16, 11, 5)), "");
    EXPECT_FALSE(smoother.programOutdated());

    // Released between frames: the next blur builds it again.
    smoother.release();
    EXPECT_EQ(blurDiffers(noise(16, 11, 6)), "");
}

TEST_F(GaussianSmootherGLTest, SameProgramServesEverySize) {
    smoother.setBlurRadius(5);
    EXPECT_EQ(blurDiffers(noise(20, 6, 11)), "");
    EXPECT_EQ(blurDiffers(noise(6, 20, 12)), "");
    EXPECT_EQ(blurDiffers(noise(1, 1, 13)), "");
    EXPECT_FALSE(smoother.programOutdated());
}

TEST_F(GaussianSmootherGLTest, BlursUnderACommaDecimalGlobalLocale) {
    GlobalCommaLocale comma;
    // A program that does not compile would leave the cleared destination.
    for (double radius : {2.0, 7.0}) {
        smoother.setBlurRadius(radius);
        EXPECT_EQ(blurDiffers(noise(23, 17, 9)), "") << "radius " << radius;
    }
}

TEST_F(GaussianSmootherGLTest, EmptySizeDrawsNothing) {
    const GLuint texture = upload(noise(4, 4, 1));
    smoother.blur(target, quad, {0.0, 0.0}, texture, texture, 1.0f);
    smoother.blur(target, quad, {NAN, 4.0}, texture, texture, 1.0f);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    EXPECT_EQ(firstDifference(download(texture, 4, 4), noise(4, 4, 1), 0.0), "");
}

} // namespace
