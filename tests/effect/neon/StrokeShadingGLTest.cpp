// The stroke program against the CPU reference: one row of fragments over a distance map of
// chosen encoded distances, drawn into an unclamped float target. Then the renderer end to end
// over a disc. Where the hash decides, only what holds for any hash is checked: its values rest
// on the last bits of the driver's sin(), which the hash amplifies.

#include "tests/effect/neon/StrokeReference.h"

#include "effect/gl/TextureParameters.h"
#include "tests/effect/gl/GlFixture.h"
#include "effect/controls/NeonParams.h"
#include "effect/controls/ControlReading.h"
#include "effect/neon/NeonRenderer.h"

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace Kelvane::Neon::Test;
using Kelvane::Neon::ColorType;
using Kelvane::Neon::Direction;
using Kelvane::Neon::FullScreenQuad;
using Kelvane::Neon::kColorTypeNames;
using Kelvane::Neon::kDirectionNames;
using Kelvane::Neon::NeonRenderer;
using Kelvane::Neon::OpenglShader;
using Kelvane::Neon::RenderTarget;
using Kelvane::Neon::strokeFragmentSource;
using Kelvane::Neon::Vec2d;
using Kelvane::Neon::Test::Uniforms;
using Kelvane::Neon::Test::Vec4;
namespace glsl = Kelvane::Neon::glsl;

// An RGBA32F texture of one row, read texel for texel.
GLuint rowTexture(const std::vector<Vec4>& texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    Kelvane::Neon::setClampedSampling(GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F),
                 static_cast<GLsizei>(texels.size()), 1, 0, GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

std::string show(const Vec4& v) {
    return "(" + std::to_string(v.r) + ", " + std::to_string(v.g) + ", " + std::to_string(v.b) +
           ", " + std::to_string(v.a) + ")";
}

bool isFinite(const Vec4& v) {
    return std::isfinite(v.r) && std::isfinite(v.g) && std::isfinite(v.b) && std::isfinite(v.a);
}

// Within `tolerance` of the expected value, relative above 1.
::testing::AssertionResult near(const Vec4& got, const Vec4& want, float tolerance) {
    const float g[] = {got.r, got.g, got.b, got.a};
    const float w[] = {want.r, want.g, want.b, want.a};
    for (int c = 0; c < 4; ++c) {
        if (!(std::fabs(g[c] - w[c]) <= tolerance * std::max(1.0f, std::fabs(w[c])))) {
            return ::testing::AssertionFailure() << show(got) << " instead of " << show(want);
        }
    }
    return ::testing::AssertionSuccess();
}

// Away from the hash, the GPU and the CPU differ only by rounding.
constexpr float kTolerance = 2e-4f;

class StrokeShadingGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        program.bindAttribLocation("position", 0);
        program.bindAttribLocation("input_uv", 1);
    }
    void TearDown() override {
        quad.release();
        program.release();
        GlTest::TearDown();
    }

    // Shades one fragment per distance, over the given input texels (transparent when none).
    std::vector<Vec4> shade(const Uniforms& u, const std::vector<float>& dists,
                            std::vector<Vec4> inputs = {}) {
        const auto width = static_cast<GLsizei>(dists.size());
        std::vector<Vec4> map;
        for (float d : dists) {
            map.push_back({d, 0, 0, 0});
        }
        inputs.resize(dists.size());
        const GLuint distanceMap = rowTexture(map);
        const GLuint input = rowTexture(inputs);
        const GLuint target = rowTexture(std::vector<Vec4>(dists.size()));
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
        glViewport(0, 0, width, 1);
        glDisable(GL_BLEND);

        quad.bind();
        program.use();
        EXPECT_NE(program.programName(), 0u) << "the stroke program does not build";
        program.setUniform4fv("strokeColors", &u.strokeColors[0].r, 8);
        program.setUniform1i("strokeCount", u.strokeCount);
        program.setUniform1i("colorCount", u.colorCount);
        program.setUniform1i("colorType", static_cast<int>(u.colorType));
        program.setUniform1i("visibleDirection", static_cast<int>(u.visibleDirection));
        program.setUniform1f("visibleSeed", u.visibleSeed);
        program.setUniform1f("visibleValue", u.visibleValue);
        program.setUniform1f("colorSeed", u.colorSeed);
        program.setUniform1f("edgeStartDist", u.edgeStartDist);
        program.setUniform1f("edgeEndDist", u.edgeEndDist);
        program.setUniform1f("edgeSize", u.edgeSize);
        program.setUniform1f("glowSize", u.glowSize);
        program.setUniform1f("glowAlpha", u.glowAlpha);
        program.setUniform1f("glowRandom", u.glowRandom);
        program.setUniform1f("glowSeed", u.glowSeed);
        program.setUniform1f("composite", u.composite);
        program.setUniform2f("viewSize", float(width), 1.0f);
        program.setTexture("t0", GL_TEXTURE_2D, distanceMap, 0);
        program.setTexture("t1", GL_TEXTURE_2D, input, 1);
        quad.draw(program);

        std::vector<Vec4> out(dists.size());
        glReadPixels(0, 0, width, 1, GL_RGBA, GL_FLOAT, out.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        const GLuint textures[] = {distanceMap, input, target};
        glDeleteTextures(3, textures);
        EXPECT_EQ(glErrors(), "");
        return out;
    }

    // Every fragment against the reference.
    void expectReference(const Uniforms& u, const std::vector<float>& dists,
                         const std::vector<Vec4>& inputs = {}) {
        const std::vector<Vec4> got = shade(u, dists, inputs);
        for (std::size_t i = 0; i < dists.size(); ++i) {
            const Vec4 input = i < inputs.size() ? inputs[i] : Vec4{};
            EXPECT_TRUE(near(got[i], Kelvane::Neon::Test::shade(u, dists[i], input), kTolerance))
                << "at distance " << dists[i];
        }
    }

    OpenglShader program{glsl::kCommonVertex, strokeFragmentSource()};
    FullScreenQuad quad;
};

// Distances 0 .. 1.5 in steps of 1/256.
std::vector<float> sweep() {
    std::vector<float> d;
    for (int i = 0; i <= 384; ++i) {
        d.push_back(float(i) / 256.0f);
    }
    return d;
}

// Five strokes at 0, 0.25, 0.5, 0.75 and 1, each 1/16 wide and glowing over 1/32: they never
// overlap. No glow unless a test sets one, so each band is flat.
Uniforms fiveApart() {
    Uniforms u;
    u.strokeCount = 5;
    u.edgeStartDist = 0;
    u.edgeSize = 8;
    u.glowSize = 4;
    u.glowAlpha = 0;
    return u;
}

float centreOf(const Uniforms& u, int i) {
    const float start = u.edgeStartDist / u.edgeEndDist;
    return start + (1 - start) * Kelvane::Neon::Test::percentOf(i, u.strokeCount) +
           u.edgeSize / u.edgeEndDist / 2;
}

std::vector<float> centres(const Uniforms& u) {
    std::vector<float> d;
    for (int i = 0; i < u.strokeCount; ++i) {
        d.push_back(centreOf(u, i));
    }
    return d;
}

TEST_F(StrokeShadingGLTest, MatchesTheReferenceWhereNoHashDecides) {
    Uniforms loop;
    expectReference(loop, sweep());

    Uniforms gradient = loop;
    gradient.colorType = ColorType::Gradient;
    gradient.strokeCount = 4;
    gradient.colorCount = 5;
    gradient.edgeStartDist = 20;
    gradient.glowAlpha = 0.05f; // a core brightened only partly
    expectReference(gradient, sweep());

    Uniforms halfShown = loop;
    halfShown.strokeCount = 6;
    halfShown.visibleValue = 0.5f;
    halfShown.edgeSize = 4;
    halfShown.glowSize = 30;
    expectReference(halfShown, sweep());
    halfShown.visibleDirection = Direction::OuterToInner;
    expectReference(halfShown, sweep());

    Uniforms narrow = loop; // bands narrower than their soft edges
    narrow.edgeSize = 1;
    narrow.glowAlpha = 0;
    expectReference(narrow, sweep());
}

TEST_F(StrokeShadingGLTest, CompositesOverTheInputLayer) {
    Uniforms u;
    u.composite = 1;
    const std::vector<float> dists = sweep();
    // Alpha, red, green, blue as uploaded: opaque, half covered and empty input in turn.
    std::vector<Vec4> inputs;
    for (std::size_t i = 0; i < dists.size(); ++i) {
        const float alphas[] = {1.0f, 0.5f, 0.0f};
        inputs.push_back({alphas[i % 3], 0.8f, 0.4f, 0.1f});
    }
    expectReference(u, dists, inputs);

    // Far beyond every stroke the input comes through premultiplied, as the frame's layer
    // holds it; the download turns it back into the layer's own colour.
    const Vec4 got = shade(u, {3.0f}, {{0.5f, 0.8f, 0.4f, 0.1f}})[0];
    EXPECT_TRUE(near(got, {0.4f, 0.2f, 0.05f, 0.5f}, 1e-6f));

    // Over an empty input the strokes are exactly what they are alone.
    const std::vector<Vec4> over = shade(u, dists);
    u.composite = 0;
    const std::vector<Vec4> alone = shade(u, dists);
    for (std::size_t i = 0; i < dists.size(); ++i) {
        ASSERT_TRUE(near(over[i], alone[i], 0)) << "at distance " << dists[i];
    }
}

TEST_F(StrokeShadingGLTest, VisibilityZeroHidesEveryStroke) {
    Uniforms u;
    u.visibleValue = 0;
    for (const auto& [direction, name] : kDirectionNames) {
        u.visibleDirection = direction;
        const std::vector<Vec4> got = shade(u, sweep());
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].a, 0.0f) << name << ", fragment " << i;
        }
    }
}

TEST_F(StrokeShadingGLTest, DirectionsRevealStrokesFromEitherEnd) {
    Uniforms u = fiveApart();
    u.visibleValue = 0.5f;
    // Inner->Outer shows stroke i when i / 4 <= 0.5; Outer->Inner the mirror.
    const float innerFirst[] = {1, 1, 1, 0, 0};
    const float outerFirst[] = {0, 0, 1, 1, 1};
    for (const Direction direction : {Direction::InnerToOuter, Direction::OuterToInner}) {
        u.visibleDirection = direction;
        const std::vector<Vec4> got = shade(u, centres(u));
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(got[i].a,
                      direction == Direction::InnerToOuter ? innerFirst[i] : outerFirst[i])
                << "direction " << int(direction) << ", stroke " << i;
        }
    }
}

// Random shows stroke i once Visibility exceeds its hash: as Visibility grows, strokes appear
// and none disappears, all show at 1, and which appear first depends on the stroke and the seed.
TEST_F(StrokeShadingGLTest, RandomVisibilityGrowsWithVisibilityAndFollowsTheSeed) {
    Uniforms u = fiveApart();
    u.visibleDirection = Direction::Random;
    std::set<std::vector<float>> patterns; // strokes shown, per seed and Visibility below 1
    for (float seed : {0.0f, 0.1234f, 0.25f, 0.5f, 0.77f, 1.0f}) {
        u.visibleSeed = seed;
        std::vector<float> before(5, 0.0f);
        for (float visibility : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) {
            u.visibleValue = visibility;
            std::vector<float> shown;
            for (const Vec4& v : shade(u, centres(u))) {
                shown.push_back(v.a);
            }
            for (int i = 0; i < 5; ++i) {
                ASSERT_TRUE(shown[i] == 0.0f || shown[i] == 1.0f) << shown[i];
                EXPECT_GE(shown[i], before[i])
                    << "seed " << seed << ", stroke " << i << " hides at Visibility " << visibility;
                EXPECT_TRUE(visibility < 1.0f || shown[i] == 1.0f)
                    << "seed " << seed << ", stroke " << i << " hidden at Visibility 1";
            }
            if (visibility < 1.0f) {
                patterns.insert(shown);
            }
            before = shown;
        }
    }
    // Far more than none, all and a few shared orders: the hash varies with stroke and seed.
    EXPECT_GE(patterns.size(), 6u);
}

TEST_F(StrokeShadingGLTest, GlowStrengthIsGlowOpacityUnlessGlowRandomDimsIt) {
    Uniforms u = fiveApart();
    u.edgeStartDist = 16; // room for the first stroke's rising glow
    u.glowAlpha = 0.4f;
    // Halfway up each stroke's rising glow: glow strength times 0.5^(1 / 2.2).
    std::vector<float> rising;
    for (int i = 0; i < 5; ++i) {
        rising.push_back(centreOf(u, i) - u.edgeSize / u.edgeEndDist / 2 -
                         u.glowSize / u.edgeEndDist / 2);
    }
    const float halfway = std::pow(0.5f, 1 / 2.2f);
    for (const Vec4& v : shade(u, rising)) {
        EXPECT_NEAR(v.a, 0.4f * halfway, 1e-5f);
    }

    // Glow Random r scales a stroke's glow by min(1, hash / r). Glow Random 1 shows the hash
    // itself, which then predicts every other r (across the threshold the scale is continuous).
    const std::vector<Vec4> full = shade(u, rising);
    std::set<float> hashes;
    for (float seed : {0.0f, 0.25f}) {
        u.glowSeed = seed;
        u.glowRandom = 1;
        const std::vector<Vec4> byHash = shade(u, rising);
        std::vector<float> hash;
        for (int i = 0; i < 5; ++i) {
            hash.push_back(byHash[i].a / full[i].a);
            ASSERT_TRUE(hash[i] >= 0 && hash[i] <= 1 + 1e-5f) << hash[i];
            hashes.insert(hash[i]);
        }
        for (float r : {0.3f, 0.7f}) {
            u.glowRandom = r;
            const std::vector<Vec4> got = shade(u, rising);
            for (int i = 0; i < 5; ++i) {
                EXPECT_NEAR(got[i].a, std::min(1.0f, hash[i] / r) * full[i].a, 1e-5f)
                    << "seed " << seed << ", Glow Random " << r << ", stroke " << i;
            }
        }
    }
    EXPECT_GE(hashes.size(), 8u) << "the hash varies with stroke and seed";
}

TEST_F(StrokeShadingGLTest, TwoStrokesSitAtTheStartAndTheEnd) {
    Uniforms u = fiveApart();
    u.strokeCount = 2;
    u.edgeStartDist = 32; // 0.25
    const float onePix = 2 / u.edgeEndDist;
    const float width = u.edgeSize / u.edgeEndDist;
    const float eps = 1 / 1024.0f;
    const std::vector<float> dists = {
        0.25f - eps, 0.25f + onePix + eps, 0.25f + width - eps, 0.25f + width + onePix + eps,
        1.0f - eps,  1.0f + onePix + eps,  1.0f + width - eps,  1.0f + width + onePix + eps};
    const float alphas[] = {0, 1, 1, 0, 0, 1, 1, 0};
    const std::vector<Vec4> got = shade(u, dists);
    for (std::size_t i = 0; i < dists.size(); ++i) {
        EXPECT_EQ(got[i].a, alphas[i]) << "at distance " << dists[i];
    }
}

TEST_F(StrokeShadingGLTest, ColourModesPickEachStrokesColour) {
    Uniforms u = fiveApart();
    const Vec4 red{1, 0, 0, 1}, green{0, 1, 0, 1}, blue{0, 0, 1, 1};
    u.strokeColors[0] = red;
    u.strokeColors[1] = green;
    u.strokeColors[2] = blue;
    u.strokeColors[3] = {1, 1, 1, 1}; // beyond Color Count: never picked

    u.colorType = ColorType::Loop;
    const Vec4 looped[] = {red, green, blue, red, green};
    std::vector<Vec4> got = shade(u, centres(u));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(near(got[i], looped[i], 1e-6f)) << "loop, stroke " << i;
    }

    // Gradient positions 0, 0.5, 1, 1.5, 2.
    u.colorType = ColorType::Gradient;
    const Vec4 graded[] = {red, {0.5f, 0.5f, 0, 1}, green, {0, 0.5f, 0.5f, 1}, blue};
    got = shade(u, centres(u));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(near(got[i], graded[i], 1e-6f)) << "gradient, stroke " << i;
    }

    // Random: the hash of (i / n, seed) picks a whole colour among those in use; over a few
    // seeds each comes up, and the seed changes the picks.
    u.colorType = ColorType::Random;
    std::set<int> picked;
    std::set<std::vector<int>> picks;
    for (float seed : {0.0f, 0.1f, 0.3f, 0.45f, 0.6f, 0.77f, 0.9f, 1.0f}) {
        u.colorSeed = seed;
        got = shade(u, centres(u));
        std::vector<int> slots;
        for (int i = 0; i < 5; ++i) {
            int slot = 0;
            while (slot < 3 && !near(got[i], u.strokeColors[slot], 1e-6f)) {
                ++slot;
            }
            EXPECT_LT(slot, 3) << "random, seed " << seed << ", stroke " << i << ": "
                               << show(got[i]) << " is no colour in use";
            slots.push_back(slot);
            picked.insert(slot);
        }
        picks.insert(slots);
    }
    EXPECT_EQ(picked, (std::set<int>{0, 1, 2}));
    EXPECT_GT(picks.size(), 1u) << "the seed changes nothing";
}

TEST_F(StrokeShadingGLTest, CoreOfAGlowingStrokeIsItsColourTimesAThousand) {
    Uniforms u = fiveApart();
    u.strokeCount = 1;
    u.strokeColors[0] = {0.5f, 0.25f, 0, 1};
    for (float glowAlpha : {0.1f, 0.6f}) {
        u.glowAlpha = glowAlpha;
        const Vec4 got = shade(u, {centreOf(u, 0)})[0];
        // The glow adds the colour times its strength on top of the core.
        const float k = 1000 + glowAlpha;
        EXPECT_TRUE(near(got, {0.5f * k, 0.25f * k, 0, 1 + glowAlpha}, 1e-4f))
            << "glow opacity " << glowAlpha;
    }
}

TEST_F(StrokeShadingGLTest, ASingleStrokeSitsAtTheStartInColourOne) {
    Uniforms u = fiveApart();
    u.strokeCount = 1;
    u.edgeStartDist = 64; // 0.5
    u.colorType = ColorType::Gradient;
    u.strokeColors[0] = {1, 0, 0, 1};
    u.strokeColors[1] = {0, 1, 0, 1};
    u.strokeColors[2] = {0, 0, 1, 1};
    const std::vector<float> dists = {0.5f - 1 / 1024.0f, centreOf(u, 0)};
    for (const auto& [direction, name] : kDirectionNames) {
        u.visibleDirection = direction;
        u.visibleValue = direction == Direction::Random ? 1.0f : 0.01f;
        const std::vector<Vec4> got = shade(u, dists);
        EXPECT_EQ(got[0].a, 0.0f) << name << ": before the start";
        EXPECT_TRUE(near(got[1], {1, 0, 0, 1}, 1e-6f)) << name;
        u.visibleValue = 0;
        EXPECT_EQ(shade(u, dists)[1].a, 0.0f) << name << " at Visibility 0";
    }
    // And no fraction 0 / 0 anywhere.
    u.glowAlpha = 0.3f;
    u.visibleValue = 1;
    for (const auto& [type, name] : kColorTypeNames) {
        u.colorType = type;
        for (const Vec4& v : shade(u, sweep())) {
            ASSERT_TRUE(isFinite(v)) << name << ": " << show(v);
        }
    }
}

TEST_F(StrokeShadingGLTest, NothingOverNothingIsTransparentBlack) {
    // Hidden strokes leave colour with no alpha; over an empty input that is 0 / 0 in the
    // blend, in either composite mode.
    Uniforms u;
    u.visibleValue = 0;
    const std::vector<float> dists = sweep();
    for (float composite : {0.0f, 1.0f}) {
        u.composite = composite;
        const std::vector<Vec4> got = shade(u, dists);
        for (std::size_t i = 0; i < dists.size(); ++i) {
            ASSERT_TRUE(isFinite(got[i])) << "composite " << composite << " at " << dists[i];
            if (composite == 1) {
                ASSERT_TRUE(near(got[i], {}, 0)) << "at " << dists[i];
            } else {
                ASSERT_TRUE(near(got[i], Kelvane::Neon::Test::shade(u, dists[i]), kTolerance));
            }
        }
    }
}

// The renderer end to end: settings from the host's controls, distance field, stroke pass and
// the frame's conversion.
class StrokeShadingRendererGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
        host.streams().at(NEON_END_DISTANCE).u.sd.value = 16;
        host.streams().at(NEON_STROKE_WIDTH).u.sd.value = 4;
        host.streams().at(NEON_GLOW_SIZE).u.sd.value = 4;
        host.streams().at(NEON_QUALITY).u.pd.value = 1; // Extreme
        // An opaque disc of radius 10 on a transparent 96 x 96 layer.
        for (int y = 0; y < input.height(); ++y) {
            for (int x = 0; x < input.width(); ++x) {
                const bool inside = std::hypot(x + 0.5 - 48, y + 0.5 - 48) <= 10;
                input.at(x, y) = inside ? PF_Pixel{255, 200, 200, 200} : PF_Pixel{0, 0, 0, 0};
            }
        }
    }
    void TearDown() override {
        renderer.release();
        GlTest::TearDown();
    }

    void renderFrame() {
        using namespace Kelvane::Neon;
        NeonSettings settings = defaultSettings();
        readSettings(&host.inData(), settings);
        renderer.setSettings(settings);
        RenderTarget& target = testTarget();
        target.resize(input.width(), input.height());
        target.begin();
        Transfer t;
        Texture texture = uploadTexture(kFormatArgb8, input.world(), &host.inData(),
                                        &t.bytesPerPixel, &t.pixelType, &t.multiplier);
        renderer.render(texture.get(), Vec2d{double(input.width()), double(input.height())});
        texture.reset();
        target.finish(t.multiplier);
        downloadTexture(input.width(), input.height(), input.world(), output.world(),
                        &host.inData(), kFormatArgb8, t.bytesPerPixel, t.pixelType);
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
    Kelvane::Neon::Host::World input{96, 96};
    Kelvane::Neon::Host::World output{96, 96};
    NeonRenderer renderer{testTarget()};
};

// The first opaque pixel along row 48, stepping from the disc's edge by `step`, whose
// channel `c` (0 red, 1 green, 2 blue) stands out above the other two; -1 when there is none.
int firstRingPixel(const Kelvane::Neon::Host::World& output, int fromX, int step, int c) {
    for (int x = fromX; x >= 0 && x < output.width(); x += step) {
        const PF_Pixel& p = output.at(x, 48);
        const int rgb[] = {p.red, p.green, p.blue};
        if (p.alpha == 255 && rgb[c] > rgb[(c + 1) % 3] + 100 && rgb[c] > rgb[(c + 2) % 3] + 100) {
            return x;
        }
    }
    return -1;
}

TEST_F(StrokeShadingRendererGLTest, OuterNeonRingsTheDiscAndLeavesFarPixelsEmpty) {
    renderFrame();
    EXPECT_EQ(glErrors(), "");
    EXPECT_EQ(host.checkedOut(), 0);
    // Three strokes outward from the disc in the loop's colours blue, red, green, the same
    // distance out on either side.
    for (int step : {1, -1}) {
        const int edge = step > 0 ? 58 : 37;
        const int blue = firstRingPixel(output, edge, step, 2);
        const int red = firstRingPixel(output, edge, step, 0);
        const int green = firstRingPixel(output, edge, step, 1);
        ASSERT_TRUE(blue != -1 && red != -1 && green != -1) << blue << " " << red << " " << green;
        EXPECT_LT(std::abs(blue - edge), 6) << "the first stroke hugs the disc";
        EXPECT_LT(std::abs(blue - edge), std::abs(red - edge));
        EXPECT_LT(std::abs(red - edge), std::abs(green - edge));
    }
    // Corners lie beyond every stroke and its glow.
    for (const auto& [x, y] : {std::pair{0, 0}, {95, 0}, {0, 95}, {95, 95}}) {
        EXPECT_EQ(output.at(x, y).alpha, 0) << "(" << x << ", " << y << ")";
    }
}

TEST_F(StrokeShadingRendererGLTest, RendersTheSameFrameAfterARelease) {
    renderFrame();
    const Kelvane::Neon::Host::RgbaImage first = output.toRgba();
    renderer.release();
    output.fill(PF_Pixel{0, 0, 0, 0});
    renderFrame();
    EXPECT_EQ(glErrors(), "");
    EXPECT_TRUE(output.toRgba().pixels == first.pixels);
}

} // namespace
