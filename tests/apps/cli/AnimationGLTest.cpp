// `zarvo-neon render` end to end through the module loaded from disk: keyframed sequences,
// frame rates, the host's downsampling, extended canvases, and refusals that write nothing.

#include "apps/cli/images/ImageFiles.h"
#include "apps/cli/commands/RenderCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

// An opaque disc of `radius` at (cx, cy) on a transparent layer.
Kelvane::Neon::Host::RgbaImage disc(int width, int height, double cx, double cy, double radius) {
    Kelvane::Neon::Host::RgbaImage image{
        width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius) {
                std::fill_n(&image.pixels[(std::size_t(y) * width + x) * 4], 4, std::uint8_t(255));
            }
        }
    }
    return image;
}

// A PNG header claiming `side` x `side` RGBA pixels, and no pixel data: a few bytes that would
// decode into gigabytes.
void writeClaimingPng(const std::string& path, std::uint32_t side) {
    std::string ihdr = "IHDR";
    for (std::uint32_t value : {side, side}) {
        for (int shift : {24, 16, 8, 0}) {
            ihdr += char(value >> shift);
        }
    }
    ihdr += std::string("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, not interlaced
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : ihdr) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
        }
    }
    crc = ~crc;
    std::ofstream(path, std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) << ihdr << char(crc >> 24)
        << char(crc >> 16) << char(crc >> 8) << char(crc)
        << std::string("\0\0\0\0IDAT\x35\xaf\x06\x1e\0\0\0\0IEND\xae\x42\x60\x82", 24);
}

// In a child process: the command with `resource` capped at `limit`, its messages on standard
// error and its status the exit code.
[[noreturn]] void renderCapped(const Kelvane::Neon::Apps::RenderOptions& o, int resource,
                               rlim_t limit) {
    const rlimit cap{limit, limit};
    ::setrlimit(resource, &cap);
    ::_exit(Kelvane::Neon::Apps::runRender(ZARVO_MODULE_PATH, o));
}

class AnimationGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) /
              ("zarvo-animation-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        Kelvane::Neon::Apps::writeImage(path("layer.pam"), disc(96, 96, 48, 48, 20));
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A small neon over layer.pam, whose five strokes show Visibility's steps.
    Kelvane::Neon::Apps::RenderOptions options(const std::string& output) const {
        Kelvane::Neon::Apps::RenderOptions o;
        o.input = path("layer.pam");
        o.output = path(output);
        o.controls = {"End Distance=16", "Stroke Width=4", "Glow Size=4", "Stroke Count=5",
                      "Quality=Extreme"};
        return o;
    }
    // Runs the command; its messages land in `errors`.
    int run(const Kelvane::Neon::Apps::RenderOptions& o) {
        std::ostringstream captured;
        std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
        const int status = Kelvane::Neon::Apps::runRender(ZARVO_MODULE_PATH, o);
        std::cerr.rdbuf(saved);
        errors = captured.str();
        return status;
    }
    std::vector<std::uint8_t> pixels(const std::string& name) const {
        return Kelvane::Neon::Apps::readImage(path(name)).pixels;
    }
    // A still render with `controls` added.
    std::vector<std::uint8_t> still(const std::string& name, std::vector<std::string> controls) {
        Kelvane::Neon::Apps::RenderOptions o = options(name);
        o.controls.insert(o.controls.end(), controls.begin(), controls.end());
        EXPECT_EQ(run(o), 0) << errors;
        return pixels(name);
    }
    std::size_t files() const {
        return std::size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    std::string errors;
};

TEST_F(AnimationGLTest, KeyframedFramesEqualStillsWithTheValuesOfTheirTime) {
    Kelvane::Neon::Apps::RenderOptions keyed = options("seq-####.pam");
    keyed.frames = "1-3";
    keyed.keys = {"Visibility=0@1,100@3", "Color 1=#204060@1,#6080A0@3", "Direction=1@1,3@3"};
    ASSERT_EQ(run(keyed), 0) << errors;

    const auto off = still("v0.pam", {"Visibility=0", "Color 1=#204060"});
    const auto half = still("v50.pam", {"Visibility=50", "Color 1=#406080", "Direction=1"});
    const auto on = still("v100.pam", {"Visibility=100", "Color 1=#6080A0", "Direction=3"});
    EXPECT_TRUE(pixels("seq-0001.pam") == off);
    EXPECT_TRUE(pixels("seq-0002.pam") == half) << "the mid colour, and Direction held";
    EXPECT_TRUE(pixels("seq-0003.pam") == on);
    EXPECT_TRUE(off != half && half != on) << "the frames must differ for the test to tell";

    // The same moments at 29.97 frames a second, keyed in seconds: frames 30, 60 and 90.
    Kelvane::Neon::Apps::RenderOptions ntsc = options("ntsc-%d.pam");
    ntsc.fps = "30000/1001";
    ntsc.keys = {"Visibility=0@1.001s,100@3.003s"};
    ntsc.controls.push_back("Color 1=#406080");
    for (const char* frame : {"30", "60", "90"}) {
        ntsc.frames = frame;
        ASSERT_EQ(run(ntsc), 0) << errors;
    }
    EXPECT_TRUE(pixels("ntsc-30.pam") == still("c0.pam", {"Visibility=0", "Color 1=#406080"}));
    EXPECT_TRUE(pixels("ntsc-60.pam") == still("c50.pam", {"Visibility=50", "Color 1=#406080"}));
    EXPECT_TRUE(pixels("ntsc-90.pam") == still("c100.pam", {"Color 1=#406080"}));
}

TEST_F(AnimationGLTest, DownsampleRendersAsAHalfSizeLayerWithHalfTheDistances) {
    // Every pixel of the half-size layer doubled, so the area filter gives it back exactly.
    const Kelvane::Neon::Host::RgbaImage half = disc(48, 40, 20, 22, 9.5);
    Kelvane::Neon::Host::RgbaImage full{96, 80, std::vector<std::uint8_t>(96 * 80 * 4)};
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 96; ++x) {
            std::copy_n(&half.pixels[(std::size_t(y / 2) * 48 + x / 2) * 4], 4,
                        &full.pixels[(std::size_t(y) * 96 + x) * 4]);
        }
    }
    Kelvane::Neon::Apps::writeImage(path("half.pam"), half);
    Kelvane::Neon::Apps::writeImage(path("full.pam"), full);

    Kelvane::Neon::Apps::RenderOptions reduced = options("reduced.pam");
    reduced.input = path("full.pam");
    reduced.downsample = 2;
    reduced.controls = {"Start Distance=2", "End Distance=32", "Stroke Width=8",
                        "Glow Size=8",      "Smooth=4",        "Quality=Extreme"};
    ASSERT_EQ(run(reduced), 0) << errors;
    Kelvane::Neon::Apps::RenderOptions small = options("small.pam");
    small.input = path("half.pam");
    small.controls = {"Start Distance=1", "End Distance=16", "Stroke Width=4",
                      "Glow Size=4",      "Smooth=2",        "Quality=Extreme"};
    ASSERT_EQ(run(small), 0) << errors;

    const Kelvane::Neon::Host::RgbaImage frame =
        Kelvane::Neon::Apps::readImage(path("reduced.pam"));
    EXPECT_EQ(frame.width, 48);
    EXPECT_EQ(frame.height, 40);
    EXPECT_TRUE(frame.pixels == pixels("small.pam"));
}

TEST_F(AnimationGLTest, ExtendAutoKeepsTheWholeGlowOfAShapeAtTheEdge) {
    // A disc cut by the left edge, with a wide glow: smoothed at full size, and unsmoothed at
    // 1/2 (Smooth 1 halves below the blur's least radius), where the map's power scale carries
    // the glow four times as far as End Distance + Stroke Width + Glow Size.
    Kelvane::Neon::Apps::writeImage(path("edge.pam"), disc(64, 64, 4, 32, 16));
    Kelvane::Neon::Apps::RenderOptions o = options("extended.pam");
    o.input = path("edge.pam");
    o.extend = "auto";
    struct Case {
        int downsample;
        const char* smooth;
        const char* quality;
        int size; // of the layer the effect sees
    };
    for (const Case& c :
         {Case{1, "Smooth=6", "Quality=Extreme", 64}, Case{2, "Smooth=1", "Quality=Low", 32}}) {
        o.downsample = c.downsample;
        o.controls = {"End Distance=24", "Stroke Width=8", "Glow Size=40", c.smooth, c.quality};
        ASSERT_EQ(run(o), 0) << errors;
        const Kelvane::Neon::Host::RgbaImage frame =
            Kelvane::Neon::Apps::readImage(path("extended.pam"));
        const int border = (frame.width - c.size) / 2;
        EXPECT_EQ(frame.height, c.size + 2 * border);
        int rim = 0;
        int beyond = 0;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const int alpha = frame.pixels[(std::size_t(y) * frame.width + x) * 4 + 3];
                const bool edge = x == 0 || y == 0 || x == frame.width - 1 || y == frame.height - 1;
                rim += edge && alpha > 0 ? 1 : 0;
                beyond += x < border - 72 / c.downsample && alpha > 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(rim, 0) << c.smooth << ": the glow reaches the canvas's edge";
        EXPECT_GT(beyond, 0) << c.smooth << ": nothing drawn beyond the sum of the distances";
    }
}

TEST_F(AnimationGLTest, BadInputIsRefusedAndWritesNothing) {
    for (int frame : {1, 3}) {
        fs::copy_file(path("layer.pam"), path("in-" + std::to_string(frame) + ".pam"));
    }
    const std::size_t before = files();
    const auto refused = [&](Kelvane::Neon::Apps::RenderOptions o, const std::string& message) {
        EXPECT_NE(run(o), 0);
        EXPECT_THAT(errors, HasSubstr(message));
        EXPECT_EQ(files(), before) << message;
    };
    Kelvane::Neon::Apps::RenderOptions o = options("out-####.pam");
    o.input = path("none-####.pam");
    refused(o, "no files match");
    o.input = path("in-%d.pam");
    refused(o, "frame 2 of " + o.input + " is missing");
    o.frames = "3-1";
    refused(o, "reversed");
    o.frames = "";
    refused(o, "--frames needs a range");
    o = options("out-####.pam");
    o.frames = "1-2";
    for (const auto& [key, message] : std::vector<std::pair<std::string, std::string>>{
             {"zarvo.test=1@1", "cannot vary in time"},
             {"Visibility=0@-1", "start at frame 0"},
             {"Visibility=0@soon", "needs a frame number or seconds"},
             {"Glow Size=301@1", "between 1 and 300, not 301"},
             {"Visibility=0@1,100@1", "same time"},
             {"End Distance=10@1,20@2", "both --set and --key"}}) {
        o.keys = {key};
        refused(o, message);
    }
    o.keys.clear();
    o.output = path("still.pam");
    refused(o, "needs a frame-number pattern");
}

TEST_F(AnimationGLTest, AFailedFrameStopsTheRunAndKeepsTheFramesBeforeIt) {
    for (int frame : {1, 2}) {
        fs::copy_file(path("layer.pam"), path("in-" + std::to_string(frame) + ".pam"));
    }
    std::ofstream(path("in-3.pam")) << "P7\nWIDTH 96\nHEIGHT 96\nDEPTH 4\nMAXVAL 255\n"
                                       "TUPLTYPE RGB_ALPHA\nENDHDR\ncut short";
    Kelvane::Neon::Apps::RenderOptions o = options("out-%d.pam");
    o.input = path("in-%d.pam");
    EXPECT_EQ(run(o), 1);
    EXPECT_THAT(errors, HasSubstr("frame 3 (" + path("out-3.pam") + "): cannot read image"));
    EXPECT_TRUE(fs::exists(path("out-1.pam")) && fs::exists(path("out-2.pam")));
    EXPECT_FALSE(fs::exists(path("out-3.pam")));
}

// Under a 3 GB address-space cap, a header claiming 30000 x 30000 (a layer's largest, 3.6 GB
// to decode) must be refused by its size, not by the memory its decoding runs out of.
TEST_F(AnimationGLTest, InputsTooLargeToRenderAreRefusedFromTheirHeaders) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the child starts afresh, without GL threads
    writeClaimingPng(path("huge.png"), 30000);
    Kelvane::Neon::Apps::RenderOptions o = options("out.png");
    o.input = path("huge.png");
    o.extend = "8"; // over the layer's limit too, whatever the GPU's
    o.quiet = true;
    const std::string refused = "the frame would be 30016 x 30016 pixels \\(the 30000 x 30000 "
                                "layer with a 8-pixel border\\)";
    EXPECT_EXIT(renderCapped(o, RLIMIT_AS, rlim_t(3) << 30), ::testing::ExitedWithCode(1),
                "^zarvo-neon: " + refused);

    fs::copy_file(path("layer.pam"), path("in-1.pam"));
    std::ofstream(path("in-2.pam")) << "P7\nWIDTH 30000\nHEIGHT 30000\nDEPTH 4\nMAXVAL 255\n"
                                       "TUPLTYPE RGB_ALPHA\nENDHDR\n";
    o.input = path("in-%d.pam");
    o.output = path("out-%d.pam");
    EXPECT_EXIT(renderCapped(o, RLIMIT_AS, rlim_t(3) << 30), ::testing::ExitedWithCode(1),
                "^zarvo-neon: frame 2 \\([^\n]*\\): " + refused);
    EXPECT_TRUE(fs::exists(path("out-1.pam")));
    EXPECT_FALSE(fs::exists(path("out.png")) || fs::exists(path("out-2.pam")));
}

// A write past the file size limit (SIGXFSZ ends a process by default) and a PNG cut short
// (libpng prints its own failures) each fail with one line naming the file, and leave no
// temporary file.
TEST_F(AnimationGLTest, FailedWritesAndReadsSayOneLineAndLeaveNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Kelvane::Neon::Apps::RenderOptions o;
    o.sample = true;
    o.frames = "1-3";
    o.output = path("f####.png");
    o.quiet = true;
    EXPECT_EXIT(renderCapped(o, RLIMIT_FSIZE, 16 * 1024), ::testing::ExitedWithCode(1),
                "^zarvo-neon: frame 1 \\([^\n]*\\): cannot write [^\n]*f0001\\.png: "
                "[^\n]*file size limit[^\n]*\n$");

    Kelvane::Neon::Apps::writeImage(path("cut.png"), disc(96, 96, 48, 48, 20));
    fs::resize_file(path("cut.png"), fs::file_size(path("cut.png")) / 2);
    o = options("out.png");
    o.input = path("cut.png");
    o.quiet = true;
    EXPECT_EXIT(renderCapped(o, RLIMIT_FSIZE, RLIM_INFINITY), ::testing::ExitedWithCode(1),
                "^zarvo-neon: cannot read image [^\n]*cut\\.png: [^\n]*\n$");
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
    EXPECT_FALSE(fs::exists(path("f0001.png")) || fs::exists(path("out.png")));
}

} // namespace
