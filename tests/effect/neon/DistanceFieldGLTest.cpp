// The distance map of a layer's alpha, checked against exact nearest-seed distances worked out
// here by brute force; the texture pair's lifetime; smoothing of the map.

#include "effect/gl/TextureParameters.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/RenderTarget.h"
#include "effect/neon/DistanceFieldGenerator.h"
#include "effect/neon/GaussianSmoother.h"

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace gl;
using namespace Kelvane::Neon;

// Float length and pow on the GPU.
constexpr double kTolerance = 1e-5;
constexpr NeonType kInner = NeonType::Inner;
constexpr NeonType kOuter = NeonType::Outer;

// One alpha value per frame pixel, row 0 first.
struct Layer {
    Layer(int w, int h, float a = 0.0f) : width(w), height(h), alpha(std::size_t(w) * h, a) {}
    float& at(int x, int y) { return alpha[std::size_t(y) * width + x]; }
    int width;
    int height;
    std::vector<float> alpha;
};

// The host's order: alpha first, then colour, which the distance field ignores.
GLuint upload(const Layer& layer, GLenum filter) {
    std::vector<float> texels(layer.alpha.size() * 4, 0.5f);
    for (std::size_t i = 0; i < layer.alpha.size(); ++i) {
        texels[4 * i] = layer.alpha[i];
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    Kelvane::Neon::setClampedSampling(filter);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), layer.width, layer.height, 0,
                 GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

struct Map {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;
    float channel(int x, int y, int c) const { return rgba[(std::size_t(y) * width + x) * 4 + c]; }
    float at(int x, int y) const { return channel(x, y, 0); }
};

Map readBack(GLuint texture, const Vec2i& size) {
    Map map{size.x, size.y, std::vector<float>(std::size_t(size.x) * size.y * 4)};
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, size.x, size.y, GL_RGBA, GL_FLOAT, map.rgba.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    return map;
}

// Seeds of a map whose texels each read one value of `layer` (texel (x, y) reads pixel
// (x * step + offset, y * step + offset)).
std::vector<bool> seedsOf(Layer& layer, NeonType neonType, int step = 1, int offset = 0) {
    const int w = (layer.width + step - 1) / step;
    const int h = (layer.height + step - 1) / step;
    std::vector<bool> seeds(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool covered = layer.at(x * step + offset, y * step + offset) >= 0.9f;
            seeds[std::size_t(y) * w + x] = neonType == kInner ? !covered : covered;
        }
    }
    return seeds;
}

// Distance from each texel centre to the nearest seed centre, infinite without seeds.
std::vector<double> nearestSeedDistances(const std::vector<bool>& seeds, int w, int h) {
    std::vector<double> d(seeds.size(), std::numeric_limits<double>::infinity());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int sy = 0; sy < h; ++sy) {
                for (int sx = 0; sx < w; ++sx) {
                    if (seeds[std::size_t(sy) * w + sx]) {
                        double& best = d[std::size_t(y) * w + x];
                        best = std::min(best, std::hypot(double(x - sx), double(y - sy)));
                    }
                }
            }
        }
    }
    return d;
}

double encoded(double d, double limit) {
    return std::pow(d / limit, 1.0 / 2.2);
}

// Seeds hold exactly 0 and every other texel the encoded distance to its nearest seed. Jump
// flooding may settle on a slightly farther seed (inside a disc, for one), so `exactShare` of
// the texels must be exact and none may be closer than its nearest seed: the coordinate found
// is always that of a real seed.
void expectNearest(const Map& map, const std::vector<bool>& seeds, double limit,
                   double exactShare = 1.0) {
    const std::vector<double> d = nearestSeedDistances(seeds, map.width, map.height);
    int inexact = 0;
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const double want = encoded(d[std::size_t(y) * map.width + x], limit);
            const float got = map.at(x, y);
            if (want == 0.0) {
                ASSERT_EQ(got, 0.0f) << "seed (" << x << ", " << y << ")";
            }
            ASSERT_GE(got, want - kTolerance) << "texel (" << x << ", " << y << ")";
            if (got > want + kTolerance && ++inexact <= 5 && exactShare == 1.0) {
                ADD_FAILURE() << "texel (" << x << ", " << y << "): " << got << ", want " << want;
            }
        }
    }
    EXPECT_LE(inexact, (1.0 - exactShare) * map.width * map.height);
}

class DistanceFieldGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_THROW(ContextRegistry::createRoot());
        target.resize(64, 64);
        target.begin();
    }
    void TearDown() override {
        generator.release();
        target.release();
        ContextRegistry::destroyAll();
    }

    Map run(Layer& layer, NeonType neonType, double endDistance, int levels = 6, int scale = 1,
            double smooth = 0.0, GLenum filter = GL_NEAREST) {
        const GLuint input = upload(layer, filter);
        generator.generate(input, Vec2d{double(layer.width), double(layer.height)}, scale, levels,
                           neonType, endDistance, smooth);
        glDeleteTextures(1, &input);
        return readBack(generator.resultTexture(), generator.mapSize());
    }

    RenderTarget target;
    DistanceFieldGenerator generator{target};
};

Layer disc(int size, double radius) {
    Layer layer(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - size / 2;
            const double dy = y - size / 2;
            layer.at(x, y) = dx * dx + dy * dy <= radius * radius ? 1.0f : 0.0f;
        }
    }
    return layer;
}

TEST_F(DistanceFieldGLTest, InnerAndOuterPutTheSeedsOnOppositeSidesOfADisc) {
    Layer layer = disc(40, 12.0);
    const Map inner = run(layer, kInner, 20.0);
    expectNearest(inner, seedsOf(layer, kInner), 20.0, 0.99);
    // The nearest uncovered pixels, (12, 1) and (8, 9) from the centre, are sqrt(145) away.
    EXPECT_NEAR(inner.at(20, 20), encoded(std::sqrt(145.0), 20.0), kTolerance);
    EXPECT_EQ(inner.at(0, 0), 0.0f);

    const Map outer = run(layer, kOuter, 20.0);
    expectNearest(outer, seedsOf(layer, kOuter), 20.0);
    EXPECT_EQ(outer.at(20, 20), 0.0f);
    EXPECT_GT(outer.at(0, 0), 0.5f);
}

TEST_F(DistanceFieldGLTest, RectangleAndSinglePointAreExact) {
    Layer rectangle(48, 40);
    for (int y = 10; y < 25; ++y) {
        for (int x = 5; x < 40; ++x) {
            rectangle.at(x, y) = 1.0f;
        }
    }
    expectNearest(run(rectangle, kOuter, 16.0), seedsOf(rectangle, kOuter), 16.0);
    expectNearest(run(rectangle, kInner, 16.0), seedsOf(rectangle, kInner), 16.0);

    Layer point(33, 47);
    point.at(7, 30) = 1.0f;
    expectNearest(run(point, kOuter, 25.0), seedsOf(point, kOuter), 25.0);
}

TEST_F(DistanceFieldGLTest, AlphaOfExactlyPointNineIsCoveredAndEndDistanceEncodesAsOne) {
    Layer layer(32, 16, 0.8999f);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            layer.at(x, y) = 0.9f;
        }
    }
    const Map map = run(layer, kOuter, 10.0);
    expectNearest(map, seedsOf(layer, kOuter), 10.0);
    EXPECT_EQ(map.at(15, 8), 0.0f);
    EXPECT_GT(map.at(16, 8), 0.0f);
    EXPECT_NEAR(map.at(25, 3), 1.0f, kTolerance);
    // The map holds red alone; a read of four channels fills in (0, 0, 1).
    EXPECT_EQ(map.channel(25, 3, 1), 0.0f);
    EXPECT_EQ(map.channel(25, 3, 3), 1.0f);
}

TEST_F(DistanceFieldGLTest, EveryTexelASeedOrNone) {
    Layer clear(24, 20, 0.0f);
    const Map zero = run(clear, kInner, 10.0);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 24; ++x) {
            ASSERT_EQ(zero.at(x, y), 0.0f) << x << ", " << y;
        }
    }

    // Neither the frame's border nor anything else is a seed: far beyond End Distance.
    Layer opaque(24, 20, 1.0f);
    for (const Map& far : {run(opaque, kInner, 10.0), run(clear, kOuter, 10.0)}) {
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 24; ++x) {
                ASSERT_GT(far.at(x, y), 100.0f) << x << ", " << y;
            }
        }
    }
}

// Steps 8, 4, 2, 1 carry a seed 15 texels at most; one more level reaches the whole row.
TEST_F(DistanceFieldGLTest, FloodReachFollowsTheLevelCount) {
    Layer row(32, 1);
    row.at(0, 0) = 1.0f;
    const Map three = run(row, kOuter, 31.0, 3);
    for (int x = 0; x < 32; ++x) {
        if (x <= 15) {
            EXPECT_NEAR(three.at(x, 0), encoded(x, 31.0), kTolerance) << x;
        } else {
            EXPECT_GT(three.at(x, 0), 100.0f) << x;
        }
    }
    expectNearest(run(row, kOuter, 31.0, 4), seedsOf(row, kOuter), 31.0);
}

TEST_F(DistanceFieldGLTest, SeedsMoreThanAThousandTexelsAwayAreFound) {
    Layer row(1101, 1, 1.0f);
    row.at(0, 0) = 0.0f;
    const Map map = run(row, kInner, 1000.0, 11);
    EXPECT_NEAR(map.at(1000, 0), 1.0f, kTolerance);
    EXPECT_NEAR(map.at(1100, 0), encoded(1100.0, 1000.0), kTolerance);
}

TEST_F(DistanceFieldGLTest, QualityScaleShrinksTheMapAndTheLimit) {
    // Blocks of 3 x 3 pixels, so every texel's filtered sample reads one block's alpha.
    Layer layer(48, 45);
    for (int y = 0; y < 45; ++y) {
        for (int x = 0; x < 48; ++x) {
            layer.at(x, y) =
                (x / 3 - 6) * (x / 3 - 6) + (y / 3 - 8) * (y / 3 - 8) <= 16 ? 1.0f : 0.0f;
        }
    }
    const Map map = run(layer, kOuter, 30.0, 5, 3, 0.0, GL_LINEAR);
    ASSERT_EQ(generator.mapSize().x, 16);
    ASSERT_EQ(generator.mapSize().y, 15);
    expectNearest(map, seedsOf(layer, kOuter, 3, 1), 10.0);

    Layer large(1001, 500);
    run(large, kOuter, 30.0, 5, 4);
    EXPECT_EQ(generator.mapSize().x, 251);
    EXPECT_EQ(generator.mapSize().y, 125);
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, generator.resultTexture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 251);
    EXPECT_EQ(height, 125);

    // Outside 1..4 the scale is clamped.
    Layer small(10, 7);
    run(small, kOuter, 30.0, 5, 0);
    EXPECT_EQ(generator.mapSize().x, 10);
    run(small, kOuter, 30.0, 5, 9);
    EXPECT_EQ(generator.mapSize().x, 3);
    EXPECT_EQ(generator.mapSize().y, 2);
}

TEST_F(DistanceFieldGLTest, TexturesAreKeptForTheSameSizeAndReplacedForANewOne) {
    Layer layer = disc(16, 4.0);
    run(layer, kOuter, 8.0);
    const GLuint plain = generator.resultTexture();
    run(layer, kOuter, 8.0, 6, 1, 2.0);
    const GLuint smoothed = generator.resultTexture();
    EXPECT_NE(plain, smoothed);
    run(layer, kOuter, 8.0);
    EXPECT_EQ(generator.resultTexture(), plain);

    Layer other = disc(20, 4.0);
    run(other, kOuter, 8.0);
    const GLuint newPlain = generator.resultTexture();
    run(other, kOuter, 8.0, 6, 1, 2.0);
    const GLuint newSmoothed = generator.resultTexture();
    for (GLuint old : {plain, smoothed}) {
        // Names may be reused by the new pair; otherwise the old texture must be gone.
        EXPECT_TRUE(old == newPlain || old == newSmoothed || !glIsTexture(old)) << old;
    }

    generator.release();
    EXPECT_FALSE(glIsTexture(newPlain));
    EXPECT_FALSE(glIsTexture(newSmoothed));
    // Usable again after a release.
    expectNearest(run(other, kOuter, 8.0), seedsOf(other, kOuter), 8.0);
}

// The smoother's converting pass turns the map's D into B², B the blurred D.
TEST_F(DistanceFieldGLTest, SmoothingFromOneTexelUpBlursTheMap) {
    Layer layer = disc(32, 6.0);
    const Map plain = run(layer, kOuter, 16.0);
    const Map belowOne = run(layer, kOuter, 16.0, 6, 1, 0.99);
    EXPECT_EQ(belowOne.rgba, plain.rgba);

    const Map blurred = run(layer, kOuter, 16.0, 6, 1, 3.0);
    GaussianSmoother probe;
    probe.setBlurRadius(3.0);
    const std::vector<float> w = probe.weights();
    const int r = static_cast<int>(w.size()) - 1;
    // One pass along an axis, clamped at the edges as the textures are.
    auto blurAlong = [&](const std::vector<double>& in, int dx, int dy) {
        std::vector<double> out(in.size(), 0.0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                for (int i = -r; i <= r; ++i) {
                    const int sx = std::clamp(x + i * dx, 0, 31);
                    const int sy = std::clamp(y + i * dy, 0, 31);
                    out[std::size_t(y) * 32 + x] += w[std::abs(i)] * in[std::size_t(sy) * 32 + sx];
                }
            }
        }
        return out;
    };
    std::vector<double> d(32 * 32);
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i] = plain.rgba[4 * i];
    }
    const std::vector<double> b = blurAlong(blurAlong(d, 0, 1), 1, 0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double want = b[std::size_t(y) * 32 + x];
            // Loose: the blur merges texel pairs into filtered samples.
            ASSERT_NEAR(std::sqrt(blurred.at(x, y)), want, 2e-3) << x << ", " << y;
        }
    }
}

} // namespace
