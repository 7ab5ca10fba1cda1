// The render command end to end: the headless host sends PF_Cmd_RENDER with a layer and an
// output world, and the module draws the neon effect on its own context.

#include "standins/aehost/host/EffectHost.h"
#include "standins/aehost/host/HostGLContext.h"
#include "standins/aehost/host/World.h"
#include "effect/gl/RenderTarget.h"
#include "effect/controls/FixedPoint.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/controls/NeonParams.h"
#include "standins/win32/StandInControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

namespace {

using ::testing::HasSubstr;

// An opaque disc on a transparent layer.
void drawDisc(Kelvane::Neon::Host::World& world, double cx, double cy, double radius) {
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            const bool inside = std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius;
            world.at(x, y) = inside ? PF_Pixel{255, 200, 200, 200} : PF_Pixel{0, 0, 0, 0};
        }
    }
}

class RenderGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelvane::Neon::StandIn::resetAll();
        ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
        ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
        // A small neon: distances fit the frame.
        host.streams().at(NEON_END_DISTANCE).u.sd.value = 16;
        host.streams().at(NEON_STROKE_WIDTH).u.sd.value = 4;
        host.streams().at(NEON_GLOW_SIZE).u.sd.value = 4;
        host.streams().at(NEON_QUALITY).u.pd.value = 1;
    }
    void TearDown() override {
        EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
        EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
        wglMakeCurrent(nullptr, nullptr);
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
};

TEST_F(RenderGLTest, DrawsARingAroundADiscAndNothingFarAway) {
    Kelvane::Neon::Host::World input(96, 96, 8);
    Kelvane::Neon::Host::World output(96, 96, 8, 0xEE);
    drawDisc(input, 48, 48, 10);
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();

    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());

    // Outer Neon: the first stroke hugs the disc from outside.
    int lit = 0;
    for (int x = 58; x < 66; ++x) {
        lit += output.at(x, 48).alpha > 0 ? 1 : 0;
    }
    EXPECT_GT(lit, 0) << "no stroke just outside the disc";
    EXPECT_EQ(output.at(0, 0).alpha, 0) << "the corner lies beyond every stroke and glow";
    // The ring is centred on the disc: mirrored pixels agree.
    EXPECT_NEAR(output.at(60, 48).alpha, output.at(35, 48).alpha, 8);
    EXPECT_NEAR(output.at(48, 60).alpha, output.at(48, 35).alpha, 8);
    // Padding untouched.
    for (int y = 0; y < 96; ++y) {
        EXPECT_EQ(output.bytes()[std::size_t(y) * output.rowbytes() + 96 * 4], 0xEE);
    }
    EXPECT_TRUE(host.suites().outstanding().empty());
    EXPECT_EQ(host.checkedOut(), 0);
    ASSERT_NE(Kelvane::Neon::effectGpu(), nullptr);
    EXPECT_TRUE(Kelvane::Neon::effectGpu()->target.layers().empty());
}

TEST_F(RenderGLTest, NeonAndOriginKeepsTheLayerUnderTheStrokes) {
    host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
    Kelvane::Neon::Host::World input(48, 48);
    Kelvane::Neon::Host::World output(48, 48);
    drawDisc(input, 24, 24, 6);
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    const PF_Pixel& centre = output.at(24, 24);
    EXPECT_EQ(centre.alpha, 255);
    // Inside the disc no stroke lies (they are outside), only the layer and some glow.
    EXPECT_GE(centre.red, 190);
}

TEST_F(RenderGLTest, EmptyLayerLeavesTheOutputAlone) {
    Kelvane::Neon::Host::World input(0, 5);
    Kelvane::Neon::Host::World output(4, 4, 0, 0x5A);
    const auto before = output.bytes();
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    EXPECT_EQ(output.bytes(), before);
}

TEST_F(RenderGLTest, FailuresGive516WriteNothingAndLeaveNothingBehind) {
    Kelvane::Neon::Host::World input(17, 9);
    drawDisc(input, 8, 4, 3);
    // Padding of no whole pixel: the read needs a handle.
    Kelvane::Neon::Host::World output(17, 9, 6, 0x33);
    const auto before = output.bytes();
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();

    host.suites().refuse("PF Handle Suite");
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_BAD_CALLBACK_PARAM);
    host.suites().allow("PF Handle Suite");
    host.failPixelData(true);
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_BAD_CALLBACK_PARAM);
    host.failPixelData(false);

    EXPECT_EQ(output.bytes(), before);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
    ASSERT_NE(Kelvane::Neon::effectGpu(), nullptr);
    EXPECT_TRUE(Kelvane::Neon::effectGpu()->target.layers().empty())
        << "a failed frame leaves no layer behind";
    EXPECT_TRUE(host.suites().outstanding().empty());
    // The next frame renders normally.
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
}

TEST_F(RenderGLTest, AFrameBeyondTheGpuLimitIsRefusedWithAMessage) {
    Kelvane::Neon::Host::World input(20000, 1);
    Kelvane::Neon::Host::World output(20000, 1, 0, 0x77);
    const auto before = output.bytes();
    EXPECT_NE(host.render(input.world(), output.world()), PF_Err_NONE);
    EXPECT_TRUE(host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_THAT(host.outData().return_msg, HasSubstr("20000 x 1"));
    EXPECT_EQ(output.bytes(), before);
}

TEST_F(RenderGLTest, SameSizeKeepsTheTargetAndANewSizeRenewsIt) {
    Kelvane::Neon::Host::World small(21, 13);
    Kelvane::Neon::Host::World smallOut(21, 13);
    drawDisc(small, 10, 6, 4);
    ASSERT_EQ(host.render(small.world(), smallOut.world()), PF_Err_NONE);
    ASSERT_NE(Kelvane::Neon::effectGpu(), nullptr);
    const auto& target = Kelvane::Neon::effectGpu()->target;
    const auto output = target.outputRenderbuffer();
    ASSERT_EQ(host.render(small.world(), smallOut.world()), PF_Err_NONE);
    EXPECT_EQ(target.outputRenderbuffer(), output);

    Kelvane::Neon::Host::World large(30, 22);
    Kelvane::Neon::Host::World largeOut(30, 22);
    drawDisc(large, 15, 11, 5);
    ASSERT_EQ(host.render(large.world(), largeOut.world()), PF_Err_NONE);
    EXPECT_EQ(target.width(), 30);
    EXPECT_EQ(target.height(), 22);
}

TEST_F(RenderGLTest, RendersFromSeveralThreadsAlike) {
    Kelvane::Neon::Host::World input(40, 40);
    drawDisc(input, 20, 20, 6);
    Kelvane::Neon::Host::World first(40, 40);
    Kelvane::Neon::Host::World second(40, 40);
    ASSERT_EQ(host.render(input.world(), first.world()), PF_Err_NONE);
    std::thread([&] {
        EXPECT_EQ(host.render(input.world(), second.world()), PF_Err_NONE);
        wglMakeCurrent(nullptr, nullptr);
    }).join();
    EXPECT_EQ(first.bytes(), second.bytes());
}

TEST(RenderModuleGLTest, TheModuleFromDiskRenders) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    Kelvane::Neon::Host::EffectHost host(module);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    host.streams().at(NEON_END_DISTANCE).u.sd.value = 10;
    Kelvane::Neon::Host::World input(32, 32);
    Kelvane::Neon::Host::World output(32, 32);
    drawDisc(input, 16, 16, 5);
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    int lit = 0;
    for (int x = 0; x < 32; ++x) {
        lit += output.at(x, 16).alpha > 0 ? 1 : 0;
    }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
}

} // namespace

namespace {

TEST_F(RenderGLTest, AHalfTransparentLayerKeepsItsColourUnderNeonAndOrigin) {
    host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
    Kelvane::Neon::Host::World input(24, 24);
    Kelvane::Neon::Host::World output(24, 24);
    // No texel reaches the 0.9 alpha that makes a seed: no stroke anywhere, only the layer.
    input.fill(PF_Pixel{128, 100, 60, 20});
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    const PF_Pixel& p = output.at(12, 12);
    EXPECT_NEAR(p.alpha, 128, 1);
    EXPECT_NEAR(p.red, 100, 2);
    EXPECT_NEAR(p.green, 60, 2);
    EXPECT_NEAR(p.blue, 20, 2);
}

// "Neon And Origin" against "Only Neon" and against the layer itself: the layer's straight
// colour joins the premultiplied stroke sum premultiplied.
TEST_F(RenderGLTest, NeonAndOriginOverATransparentLayerIsOnlyNeon) {
    Kelvane::Neon::Host::World input(64, 64);
    drawDisc(input, 32, 32, 9);
    Kelvane::Neon::Host::World onlyNeon(64, 64);
    Kelvane::Neon::Host::World withOrigin(64, 64);
    ASSERT_EQ(host.render(input.world(), onlyNeon.world()), PF_Err_NONE);
    host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
    ASSERT_EQ(host.render(input.world(), withOrigin.world()), PF_Err_NONE);

    int glowing = 0;
    int differing = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (input.at(x, y).alpha != 0) {
                continue;
            }
            const PF_Pixel& a = onlyNeon.at(x, y);
            const PF_Pixel& b = withOrigin.at(x, y);
            glowing += a.alpha > 0 && a.alpha < 255 ? 1 : 0;
            if (std::memcmp(&a, &b, sizeof a) != 0 && ++differing <= 5) {
                ADD_FAILURE() << "(" << x << ", " << y << "): " << int(b.alpha) << " " << int(b.red)
                              << " " << int(b.green) << " " << int(b.blue) << " instead of "
                              << int(a.alpha) << " " << int(a.red) << " " << int(a.green) << " "
                              << int(a.blue);
            }
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(glowing, 500) << "too little half-transparent neon to compare";
}

TEST_F(RenderGLTest, NeonAndOriginWithEveryStrokeHiddenGivesBackTheLayer) {
    host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
    host.streams().at(NEON_VISIBILITY).u.fd.value = 0;
    // Every alpha sixteen times over; its opaque pixels seed strokes, hidden but still there.
    Kelvane::Neon::Host::World input(64, 64);
    Kelvane::Neon::Host::World output(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const auto alpha = static_cast<A_u_char>((y * 64 + x) % 256);
            input.at(x, y) = PF_Pixel{alpha, 230, static_cast<A_u_char>(60 + 2 * x),
                                      static_cast<A_u_char>(3 * y)};
        }
    }
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const PF_Pixel& in = input.at(x, y);
            const PF_Pixel& out = output.at(x, y);
            ASSERT_EQ(out.alpha, in.alpha) << "(" << x << ", " << y << ")";
            if (in.alpha == 0) {
                continue;
            }
            // The frame keeps 8-bit premultiplied colour: an error of one step there is
            // 255 / alpha steps once the download divides by alpha.
            const double tolerance = 1.0 + 255.0 / in.alpha;
            ASSERT_NEAR(out.red, in.red, tolerance) << "(" << x << ", " << y << ")";
            ASSERT_NEAR(out.green, in.green, tolerance) << "(" << x << ", " << y << ")";
            ASSERT_NEAR(out.blue, in.blue, tolerance) << "(" << x << ", " << y << ")";
        }
    }
}

TEST_F(RenderGLTest, NeonAndOriginOverAnOpaqueLayerBlendsByTheFormula) {
    // An opaque layer makes every texel a seed: distance 0 everywhere, where a single stroke
    // starting at 0 has not begun its band and its glow is at full height. The sum is then
    // Color 1 x Glow Opacity: (1, 0.4, 0) x 0.5, alpha 0.5.
    host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
    host.streams().at(NEON_STROKE_COUNT).u.sd.value = 1;
    host.streams().at(NEON_START_DISTANCE).u.sd.value = 0;
    host.streams().at(NEON_GLOW_OPACITY).u.fd.value = Kelvane::Neon::toFixed(50);
    host.streams().at(NEON_COLOR_1).u.cd.value = PF_Pixel{255, 255, 102, 0};
    Kelvane::Neon::Host::World input(64, 64);
    Kelvane::Neon::Host::World output(64, 64);
    input.fill(PF_Pixel{255, 40, 221, 90});
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    // Alpha 0.5 + 1 x (1 - 0.5) = 1; weight 0.5 / 1; over an opaque backdrop the mixed colour
    // is min(1, layer + sum), so each channel is (layer + min(1, layer + sum)) / 2:
    // red (40 + 40 + 127.5) / 2 = 103.75, green (221 + 255) / 2 = 238, blue (90 + 90) / 2 = 90.
    for (const auto& [x, y] : {std::pair{0, 0}, {32, 32}, {63, 17}}) {
        const PF_Pixel& p = output.at(x, y);
        EXPECT_EQ(p.alpha, 255) << "(" << x << ", " << y << ")";
        EXPECT_NEAR(p.red, 104, 1) << "(" << x << ", " << y << ")";
        EXPECT_NEAR(p.green, 238, 1) << "(" << x << ", " << y << ")";
        EXPECT_NEAR(p.blue, 90, 1) << "(" << x << ", " << y << ")";
    }
}

} // namespace
