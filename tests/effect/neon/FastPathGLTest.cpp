// The fast path against the passes as written, in one run: every setting below must give the
// same bytes either way (every stroke and colour mode evaluated, multisampled layers, cleared
// and zero-filled targets, a float upload, against what the effect does by default).

#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/host/EffectHost.h"
#include "apps/cli/commands/Sample.h"
#include "standins/aehost/host/World.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct Setting {
    std::vector<std::string> controls;
    int downsample;
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
};

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

TEST(FastPathGLTest, GivesTheBytesOfThePassesAsWritten) {
    const std::vector<Kelvane::Neon::Host::RgbaImage> layers = {
        Kelvane::Neon::Apps::sampleLayer(192, 108), softRing(97, 75)};
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        const auto written = render(&AsWrittenEntryPoint, kSettings[i], layers);
        const auto fast = render(&EntryPointFunc, kSettings[i], layers);
        ASSERT_EQ(written.size(), layers.size());
        ASSERT_EQ(fast.size(), layers.size());
        for (std::size_t l = 0; l < layers.size(); ++l) {
            std::size_t differing = 0, first = 0;
            for (std::size_t b = fast[l].size(); b-- > 0;) {
                if (fast[l][b] != written[l][b]) {
                    ++differing;
                    first = b;
                }
            }
            EXPECT_EQ(differing, 0u)
                << "setting " << i << ", " << layers[l].width << "x" << layers[l].height
                << ": first difference at byte " << first << " (" << int(fast[l][first])
                << " against " << int(written[l][first]) << ")";
        }
    }
}

} // namespace
