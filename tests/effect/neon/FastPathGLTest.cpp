// The fast path against the passes as written, in one run (every stroke and colour mode
// evaluated, multisampled layers, cleared and zero-filled targets, a float upload, against what
// the effect does by default). Where the fast path reads the strokes' sum from the stroke
// profile, the layer it draws may differ by one level; elsewhere every byte is the same.

#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/host/EffectHost.h"
#include "apps/cli/commands/Sample.h"
#include "standins/aehost/host/World.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/neon/NeonRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Setting {
    std::vector<std::string> controls;
    int downsample;
    // Too fine for the stroke profile: the strokes are summed per pixel, as written.
    bool summed = false;
};

// Each Quality, Inner and Outer, every colour mode and direction, Glow Random, both
// composites, Smooth from 1 to 40, one stroke to a hundred, start beyond end, start equal to
// end, and host downsampling.
const std::vector<Setting> kSettings = {
    {{}, 1},
    {{"Quality=Extreme", "Neon Type=Inner Neon", "Stroke Count=10", "Smooth=1"}, 1},
    {{"Quality=High", "Color Type=Random", "Random Seed=77", "Direction=Random", "Visibility=55",
      "Visibility Seed=5"},
     1},
    {{"Quality=Medium", "Color Type=Gradient", "Color Count=5", "Direction=Outer->Inner",
      "Visibility=40", "Composite=Neon And Origin"},
     1},
    {{"Glow Random=60", "Glow Random Seed=9", "Stroke Count=7", "Start Distance=20",
      "End Distance=60", "Smooth=40"},
     1},
    {{"Stroke Count=1", "Composite=Neon And Origin", "Neon Type=Inner Neon", "Quality=Extreme"}, 1},
    {{"Stroke Count=100", "Start Distance=3", "End Distance=30", "Stroke Width=4", "Glow Size=1",
      "Color Type=Random"},
     1},
    {{"Start Distance=90", "End Distance=40", "Glow Size=120", "Stroke Width=30", "Smooth=12",
      "Composite=Neon And Origin"},
     2},
    {{"Start Distance=50", "End Distance=50", "Stroke Count=4", "Direction=Random"}, 1},
    {{"Quality=High", "Color Type=Gradient", "Glow Random=100", "Neon Type=Inner Neon"}, 3},
    // The narrowest glow at the coarsest profile used, and one too coarse to use.
    {{"End Distance=200", "Stroke Width=40", "Glow Size=1", "Stroke Count=3", "Smooth=1"}, 1},
    {{"End Distance=1000", "Stroke Width=400", "Glow Size=300", "Stroke Count=5"}, 1, true},
};

// Where two outputs differ: the pixels, and the largest difference in alpha and in the
// premultiplied colour drawn. The output's straight colour is the drawn colour over alpha,
// rounded: times alpha and rounded again it is the drawn value (capped at alpha, which the
// division saturates at), so a one-level difference in a faint pixel's drawing is not taken
// for the many levels its straight colour may move.
struct Difference {
    std::size_t pixels = 0;
    int alpha = 0;
    int colour = 0;
};

Difference compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    Difference d;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        if (std::equal(&a[i], &a[i] + 4, &b[i])) {
            continue;
        }
        ++d.pixels;
        d.alpha = std::max(d.alpha, std::abs(a[i + 3] - b[i + 3]));
        for (int c = 0; c < 3; ++c) {
            const long drawnA = std::min<long>(std::lround(a[i + c] * a[i + 3] / 255.0), a[i + 3]);
            const long drawnB = std::min<long>(std::lround(b[i + c] * b[i + 3] / 255.0), b[i + 3]);
            d.colour = std::max(d.colour, int(std::labs(drawnA - drawnB)));
        }
    }
    return d;
}

// A soft ring with half-transparent pixels that keep their colour.
Kelvane::Neon::Host::RgbaImage softRing(int width, int height) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double r = std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0);
            const double alpha = std::clamp(r - 12.0, 0.0, 1.0) * std::clamp(36.0 - r, 0.0, 1.0);
            std::uint8_t* p = &image.pixels[(std::size_t(y) * width + x) * 4];
            p[0] = std::uint8_t(x * 255 / width);
            p[1] = std::uint8_t(y * 255 / height);
            p[2] = 180;
            p[3] = std::uint8_t(std::lround(alpha * 200));
        }
    }
    return image;
}

// The effect evaluating its passes as written.
PF_Err AsWrittenEntryPoint(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                           PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
    static const Kelvane::Neon::RenderOptions options{true, {}};
    return Kelvane::Neon::EntryPointWith(options, cmd, in_data, out_data, params, output, extra);
}

// Each layer's output bytes, from one set-up of the effect behind `entry` with the setting.
std::vector<std::vector<std::uint8_t>>
render(PF_FilterProc entry, const Setting& setting,
       const std::vector<Kelvane::Neon::Host::RgbaImage>& layers) {
    std::vector<std::vector<std::uint8_t>> outputs;
    Kelvane::Neon::Host::EffectHost host(entry);
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.paramsSetup(), PF_Err_NONE);
    // Else both sides would be the fast path and agree whatever it drew.
    const Kelvane::Neon::EffectGpu* gpu = Kelvane::Neon::effectGpu();
    EXPECT_TRUE(gpu && gpu->target.passesAsWritten() == (entry == &AsWrittenEntryPoint));
    for (const std::string& control : setting.controls) {
        Kelvane::Neon::Apps::applyControl(control, host.declared(), host.streams());
    }
    const A_u_long den = A_u_long(setting.downsample);
    host.inData().downsample_x = {1, den};
    host.inData().downsample_y = {1, den};
    for (const Kelvane::Neon::Host::RgbaImage& layer : layers) {
        Kelvane::Neon::Host::World input(layer.width, layer.height);
        input.fromRgba(layer);
        Kelvane::Neon::Host::World output(layer.width, layer.height);
        EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
        outputs.push_back(output.toRgba().pixels);
    }
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    return outputs;
}

TEST(FastPathGLTest, DrawsWithinOneLevelOfThePassesAsWritten) {
    const std::vector<Kelvane::Neon::Host::RgbaImage> layers = {
        Kelvane::Neon::Apps::sampleLayer(192, 108), softRing(97, 75)};
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        const auto written = render(&AsWrittenEntryPoint, kSettings[i], layers);
        const auto fast = render(&EntryPointFunc, kSettings[i], layers);
        ASSERT_EQ(written.size(), layers.size());
        ASSERT_EQ(fast.size(), layers.size());
        for (std::size_t l = 0; l < layers.size(); ++l) {
            const Difference d = compare(fast[l], written[l]);
            const std::string where = "setting " + std::to_string(i) + ", " +
                                      std::to_string(layers[l].width) + "x" +
                                      std::to_string(layers[l].height);
            if (kSettings[i].summed) {
                EXPECT_EQ(d.pixels, 0u) << where;
            }
            EXPECT_LE(d.alpha, 1) << where;
            EXPECT_LE(d.colour, 1) << where;
            std::printf("%s: %zu pixels differ, alpha by %d, colour by %d\n", where.c_str(),
                        d.pixels, d.alpha, d.colour);
        }
    }
}

} // namespace

namespace {

// Worked numbers: End Distance 100, Stroke Width 10, Glow Size 50, strokes at 0 and 1 encoded.
TEST(StrokeProfileTest, SpansEveryStrokeWithItsGlowAndIsUsedOnlyWhereFineEnough) {
    Kelvane::Neon::NeonSettings s{};
    s.edgeEndDist = 100.0;
    s.edgeStartDist = 0.0;
    s.edgeSize = 10.0;
    s.glowSize = 50.0;
    s.strokeCount = 3;
    // From 0 - 0.5 to 1 + 0.1 + 0.5, each end 0.0031 (a thousandth of the span plus one) out,
    // with a node at 0.
    Kelvane::Neon::StrokeProfile p = Kelvane::Neon::strokeProfile(s, 16384);
    EXPECT_TRUE(p.fits);
    EXPECT_LE(p.start, -0.5031);
    EXPECT_GT(p.start, -0.5031 - p.step);
    EXPECT_GE(p.start + p.step * 16383, 1.6031 - 1e-12);
    EXPECT_DOUBLE_EQ(p.start + p.zeroNode * p.step, 0.0);
    // The soft edge, 2 pixels = 0.02, spans 155 nodes; at 2048 nodes only 19.
    EXPECT_FALSE(Kelvane::Neon::strokeProfile(s, 2048).fits);
    // One stroke: the span is the first stroke's alone, wherever the end would put others.
    s.strokeCount = 1;
    s.edgeStartDist = 30.0;
    p = Kelvane::Neon::strokeProfile(s, 16384);
    EXPECT_LE(p.start, 0.3 - 0.5 - 0.0021);
    EXPECT_GT(p.start, 0.3 - 0.5 - 0.0021 - p.step);
    // A one-pixel glow over a 1000-pixel span: too coarse to use.
    s.strokeCount = 4;
    s.edgeEndDist = 1000.0;
    s.glowSize = 1.0;
    EXPECT_FALSE(Kelvane::Neon::strokeProfile(s, 16384).fits);
}

} // namespace
