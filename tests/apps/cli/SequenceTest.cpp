// The command line's animation options, apart from rendering: frame-number patterns, ranges,
// frame rates, keyframes, the host's downsampling and borders, the progress line.

#include "standins/aehost/host/EffectHost.h"
#include "apps/cli/commands/Extend.h"
#include "apps/cli/commands/FrameRate.h"
#include "apps/cli/commands/FrameSequence.h"
#include "apps/cli/commands/Keyframes.h"
#include "apps/cli/commands/Progress.h"
#include "apps/cli/commands/Resample.h"
#include "apps/cli/commands/UsageError.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/NeonParams.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

template <typename F> std::string usageError(F run) {
    try {
        run();
    } catch (const Kelvane::Neon::Apps::UsageError& e) {
        return e.what();
    }
    return "";
}

TEST(FrameSequenceTest, PatternsNameFramesAndMatchOnlyTheirOwnNames) {
    const Kelvane::Neon::Apps::FramePattern printf("out/neon-%04d.png");
    const Kelvane::Neon::Apps::FramePattern hashes("neon.####.pam");
    const Kelvane::Neon::Apps::FramePattern plain("f%d");
    EXPECT_EQ(printf.nameOf(7), "out/neon-0007.png");
    EXPECT_EQ(hashes.nameOf(12345), "neon.12345.pam");
    EXPECT_EQ(plain.nameOf(7), "f7");
    EXPECT_EQ(hashes.frameOf("neon.0042.pam"), 42);
    EXPECT_EQ(hashes.frameOf("neon.42.pam"), std::nullopt);
    EXPECT_EQ(printf.frameOf("neon-0042.png.tmp"), std::nullopt);
    EXPECT_FALSE(Kelvane::Neon::Apps::FramePattern("50%.png").isSequence());
    // "%%" is a '%' of the name, as in printf: no pattern, and one '%' in the file name.
    EXPECT_FALSE(Kelvane::Neon::Apps::FramePattern("o%%d.png").isSequence());
    EXPECT_EQ(Kelvane::Neon::Apps::FramePattern("o%%d.png").nameOf(1), "o%d.png");
    EXPECT_EQ(Kelvane::Neon::Apps::FramePattern("100%%-%03d.png").nameOf(7), "100%-007.png");
    EXPECT_EQ(Kelvane::Neon::Apps::FramePattern("still.png").nameOf(3), "still.png");
    EXPECT_THAT(usageError([] { Kelvane::Neon::Apps::FramePattern("a-%04d-##.png"); }),
                HasSubstr("more than one frame-number pattern"));
}

TEST(FrameSequenceTest, RangesAndFramesOnDisk) {
    EXPECT_EQ(Kelvane::Neon::Apps::parseFrameRange("1-3").count(), 3);
    EXPECT_EQ(Kelvane::Neon::Apps::parseFrameRange("5").first, 5);
    EXPECT_THAT(usageError([] { Kelvane::Neon::Apps::parseFrameRange("3-1"); }),
                HasSubstr("reversed"));
    for (const char* bad : {"", "-", "1-", "-1-3", "a-b", "1-3-5"}) {
        EXPECT_THAT(usageError([&] { Kelvane::Neon::Apps::parseFrameRange(bad); }),
                    HasSubstr("A-B"))
            << bad;
    }

    const fs::path dir = fs::path(::testing::TempDir()) / "zarvo-frames-on-disk";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const Kelvane::Neon::Apps::FramePattern pattern((dir / "in-###.pam").string());
    EXPECT_THAT(usageError([&] { Kelvane::Neon::Apps::framesOnDisk(pattern); }),
                HasSubstr("no files match"));
    for (int frame : {3, 4, 5}) {
        std::ofstream(pattern.nameOf(frame)) << "x";
    }
    std::ofstream((dir / "in-06.pam").string()) << "not frame 6";
    EXPECT_EQ(Kelvane::Neon::Apps::framesOnDisk(pattern).first, 3);
    EXPECT_EQ(Kelvane::Neon::Apps::framesOnDisk(pattern).last, 5);
    EXPECT_THAT(usageError([&] {
                    Kelvane::Neon::Apps::requireFrames(pattern, {3, 6});
                }),
                HasSubstr("input frame 6 is missing"));
    std::ofstream(pattern.nameOf(8)) << "x";
    EXPECT_THAT(usageError([&] { Kelvane::Neon::Apps::framesOnDisk(pattern); }),
                HasSubstr("frame 6 of " + pattern.text() + " is missing"));
    fs::remove_all(dir);
}

TEST(FrameRateTest, ExactRatesAndTheirFrameTimes) {
    const Kelvane::Neon::Apps::FrameRate ntsc = Kelvane::Neon::Apps::parseFrameRate("30000/1001");
    EXPECT_EQ(ntsc.frames, 30000u);
    EXPECT_EQ(ntsc.seconds, 1001u);
    const Kelvane::Neon::Host::FrameTime frame = Kelvane::Neon::Apps::frameTime(ntsc, 30);
    EXPECT_EQ(frame.time, 30030);
    EXPECT_EQ(frame.step, 1001);
    EXPECT_EQ(frame.scale, 30000u);
    EXPECT_EQ(Kelvane::Neon::Apps::parseFrameRate("29.97").frames, 2997u);
    EXPECT_EQ(Kelvane::Neon::Apps::parseFrameRate("25.0").frames, 25u);
    for (const char* bad : {"0", "-24", "abc", "1/0", "2000", "24fps", "1e3", ""}) {
        EXPECT_THROW(Kelvane::Neon::Apps::parseFrameRate(bad), Kelvane::Neon::Apps::UsageError)
            << bad;
    }
    EXPECT_THAT(usageError([&] { Kelvane::Neon::Apps::frameTime(ntsc, 3000000); }),
                HasSubstr("clock"));
}

class KeyOptionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.paramsSetup(), PF_Err_NONE); }
    std::string error(std::vector<std::string> keys, std::vector<PF_ParamIndex> set = {}) {
        try {
            Kelvane::Neon::Apps::applyKeys(keys, set, host.declared(), host.streams(), rate);
        } catch (const Kelvane::Neon::Apps::ControlError& e) {
            return e.what();
        }
        return "";
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
    Kelvane::Neon::Apps::FrameRate rate; // 24 frames a second
};

TEST_F(KeyOptionTest, FramesAndSecondsBecomeHostTimes) {
    const auto keyed =
        Kelvane::Neon::Apps::parseKeys("Color 1 = #FF0000@12, #0000FF@1.5s", host.declared(), rate);
    EXPECT_EQ(keyed.index, NEON_COLOR_1);
    ASSERT_EQ(keyed.keys.size(), 2u);
    EXPECT_EQ(Kelvane::Neon::Host::compareTimes(keyed.keys[0].time, {1, 2}), 0);
    EXPECT_EQ(Kelvane::Neon::Host::compareTimes(keyed.keys[1].time, {3, 2}), 0);
    EXPECT_EQ(keyed.keys[1].value.u.cd.value.blue, 255);
}

TEST_F(KeyOptionTest, BadKeysAreRefusedAndAnimateNothing) {
    EXPECT_THAT(error({"zarvo.test=1@0"}), HasSubstr("cannot vary in time"));
    EXPECT_THAT(error({"Visibility=0@-1"}), HasSubstr("start at frame 0"));
    EXPECT_THAT(error({"Visibility=0@-0.5s"}), HasSubstr("start at frame 0"));
    for (const char* time : {"x", "1.5", "s", "1.5.2s", ""}) {
        EXPECT_THAT(error({std::string("Visibility=0@") + time}),
                    HasSubstr("needs a frame number or seconds"))
            << time;
    }
    EXPECT_THAT(error({"Visibility=0@1,101@2"}), HasSubstr("between 0% and 100%, not 101"));
    EXPECT_THAT(error({"Visibility=0@24,50@1s"}), HasSubstr("same time: @24 and @1s"));
    EXPECT_THAT(error({"Visibility=0"}), HasSubstr("VALUE@TIME"));
    EXPECT_THAT(error({"Visibility=0@1,"}), HasSubstr("VALUE@TIME"));
    EXPECT_THAT(error({"Visibility=0@1"}, {NEON_VISIBILITY}), HasSubstr("both --set and --key"));
    EXPECT_THAT(error({"Glow Size=5@0,9@1", "Visibility=0@1", "glow size=4@3"}),
                HasSubstr("keyed twice"));
    for (int index = 1; index < NEON_NUM_PARAMS; ++index) {
        EXPECT_TRUE(host.streams().keyframes(index).empty()) << index;
    }
}

TEST(ResampleTest, AreaAverageWeighsColourByAlphaAndRoundsTheSizeUp) {
    // 3 x 3: the top-left 2 x 2 block holds opaque red, transparent green and two opaque blues;
    // the rest is opaque white.
    Kelvane::Neon::Host::RgbaImage layer{3, 3, {}};
    const std::uint8_t white[4] = {255, 255, 255, 255};
    for (int i = 0; i < 9; ++i) {
        layer.pixels.insert(layer.pixels.end(), white, white + 4);
    }
    const std::uint8_t block[4][4] = {
        {255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 255}, {0, 0, 255, 255}};
    for (int i = 0; i < 4; ++i) {
        std::copy_n(block[i], 4, &layer.pixels[std::size_t((i / 2) * 3 + i % 2) * 4]);
    }
    const Kelvane::Neon::Host::RgbaImage small = Kelvane::Neon::Apps::downsample(layer, 2);
    ASSERT_EQ(small.width, 2);
    ASSERT_EQ(small.height, 2);
    // Alpha 765 / 4; red 255 * 255 / 765, blue twice that; the transparent green lends none.
    EXPECT_EQ(std::vector<int>(small.pixels.begin(), small.pixels.begin() + 4),
              (std::vector<int>{85, 0, 170, 191}));
    // Blocks cut by the edges average what they hold: the white stays opaque.
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(small.pixels[std::size_t(i) * 4 + 3], 255) << i;
    }

    const Kelvane::Neon::Host::RgbaImage canvas = Kelvane::Neon::Apps::extendCanvas(small, 3);
    EXPECT_EQ(canvas.width, 8);
    EXPECT_EQ(canvas.height, 8);
    EXPECT_EQ(canvas.pixels[(3 * 8 + 3) * 4 + 2], 170);
    EXPECT_EQ(canvas.pixels[(2 * 8 + 3) * 4 + 3], 0);
    EXPECT_EQ(canvas.pixels[(5 * 8 + 5) * 4 + 3], 0);
}

TEST(ExtendTest, BordersInLayerPixelsScaleWithTheDownsample) {
    EXPECT_TRUE(Kelvane::Neon::Apps::parseExtension("auto").automatic);
    for (const char* bad : {"", "-5", "5px", "30001", "1e3"}) {
        EXPECT_THROW(Kelvane::Neon::Apps::parseExtension(bad), Kelvane::Neon::Apps::UsageError)
            << bad;
    }
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    const auto border = [&](const Kelvane::Neon::Apps::Extension& extension, int downsample) {
        return Kelvane::Neon::Apps::borderPixels(extension, host.streams(), host.declared(), {0, 0},
                                                 {}, downsample);
    };
    EXPECT_EQ(border(Kelvane::Neon::Apps::parseExtension("5"), 2), 3);
    // The defaults reach past End Distance + Stroke Width + Glow Size (160 pixels): strokes
    // lie on the distance map's power scale.
    EXPECT_GT(border({true, 0}, 1), 160);
    EXPECT_NEAR(border({true, 0}, 2), border({true, 0}, 1) / 2.0, 4.0);

    // The reach reads the controls where this effect declares them: a module whose controls
    // stand elsewhere is refused, naming the control, rather than measured from others.
    auto declared = host.declared();
    std::swap(declared[NEON_GLOW_SIZE - 1], declared[NEON_GLOW_OPACITY - 1]);
    try {
        Kelvane::Neon::Apps::borderPixels({true, 0}, host.streams(), declared, {0, 0}, {}, 1);
        ADD_FAILURE() << "measured from the wrong controls";
    } catch (const Kelvane::Neon::Apps::ControlError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"Glow Size\" as control 26"));
    }
}

TEST(ProgressTest, ShowsFramesRateAndTimeLeft) {
    EXPECT_EQ(Kelvane::Neon::Apps::Progress::line(0, 24, 0.0),
              "[------------------------] 0/24 frames");
    EXPECT_EQ(Kelvane::Neon::Apps::Progress::line(12, 24, 6.0),
              "[############------------] 12/24 frames  2.0 fps  0:06 left");
    EXPECT_EQ(Kelvane::Neon::Apps::Progress::line(1, 3601, 1.0),
              "[------------------------] 1/3601 frames  1.0 fps  1:00:00 left");
}

} // namespace
