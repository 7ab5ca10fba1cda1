// Frames through the GPU and back: upload, draw, resolve, conversion and read-back into host
// worlds, with the host's faults and on a second rendering thread.

#include "tests/effect/gl/GlFixture.h"

#include <cmath>
#include <cstring>
#include <vector>
#include <functional>
#include <thread>

namespace {

using namespace Kelvane::Neon::Test;
using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::downloadTexture;
using Kelvane::Neon::kFormatArgb8;
using Kelvane::Neon::RenderTarget;
using Kelvane::Neon::uploadTexture;
using Kelvane::Neon::Host::EffectHost;
using Kelvane::Neon::Host::World;

constexpr std::uint32_t kUnknownFormat = 0x61626364;

// Neighbouring pixels differ in every channel and no two rows are alike, so a flip, a shift
// or a swapped channel shows.
void fillPattern(World& world, bool opaque) {
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            PF_Pixel& p = world.at(x, y);
            p.alpha = opaque ? 255 : static_cast<A_u_char>(16 + (x * 37 + y * 91) % 240);
            p.red = static_cast<A_u_char>(x * 29 + y * 7 + 3);
            p.green = static_cast<A_u_char>(x * 13 + y * 53 + 101);
            p.blue = static_cast<A_u_char>(250 - x * 5 - y * 19);
        }
    }
}

std::string describe(const PF_Pixel& p) {
    return std::to_string(p.alpha) + " " + std::to_string(p.red) + " " + std::to_string(p.green) +
           " " + std::to_string(p.blue);
}

// The first pixel of the top-left `columns` by `rows` where the worlds differ, or "".
std::string firstDifference(const World& expected, const World& actual, int columns, int rows) {
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const PF_Pixel& e = expected.at(x, y);
            const PF_Pixel& a = actual.at(x, y);
            if (e.alpha != a.alpha || e.red != a.red || e.green != a.green || e.blue != a.blue) {
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): expected " +
                       describe(e) + ", got " + describe(a);
            }
        }
    }
    return "";
}

std::string firstDifference(const World& expected, const World& actual) {
    return firstDifference(expected, actual, expected.width(), expected.height());
}

// The first padding byte that is not `value`, or "".
std::string paddingChanged(const World& world, std::uint8_t value) {
    for (int y = 0; y < world.height(); ++y) {
        for (int i = world.width() * 4; i < world.rowbytes(); ++i) {
            const std::uint8_t byte = world.row(y)[i];
            if (byte != value) {
                return "row " + std::to_string(y) + " byte " + std::to_string(i) + " is " +
                       std::to_string(byte);
            }
        }
    }
    return "";
}

void expectNothingHeld(EffectHost& host) {
    EXPECT_TRUE(host.suites().outstanding().empty());
    EXPECT_EQ(host.suites().unmatchedReleases(), 0);
    EXPECT_EQ(host.handles().liveHandles(), 0);
    EXPECT_EQ(host.handles().lockedHandles(), 0);
}

// The int the call threw, or 0 when it returned.
int thrownCode(const std::function<void()>& call) {
    try {
        call();
    } catch (int code) {
        return code;
    }
    return 0;
}

using FrameTransferGLTest = GlTest;

TEST_F(FrameTransferGLTest, OpaquePixelsComeBackByteExactAndPaddingIsLeftAlone) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    struct Frame {
        int width, height, inputPadding, outputPadding;
    };
    for (const Frame f : {Frame{7, 5, 0, 0}, Frame{33, 17, 12, 8}, Frame{1, 1, 4, 0},
                          Frame{5, 9, 0, 20}, Frame{7, 5, 16, 4}}) {
        SCOPED_TRACE(std::to_string(f.width) + "x" + std::to_string(f.height) + " padded " +
                     std::to_string(f.inputPadding) + "/" + std::to_string(f.outputPadding));
        World input(f.width, f.height, f.inputPadding, 0x3C);
        fillPattern(input, true);
        World output(f.width, f.height, f.outputPadding, 0xA5);
        renderFrame(input, output, &host.inData(), pass);
        EXPECT_EQ(firstDifference(input, output), "");
        EXPECT_EQ(paddingChanged(output, 0xA5), "");
        EXPECT_EQ(glErrors(), "");
    }
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, RowPaddingOfAnyByteCountIsNeverMisread) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    for (int padding : {1, 3, 6}) {
        SCOPED_TRACE("padded " + std::to_string(padding));
        World input(7, 5, padding, 0x3C);
        fillPattern(input, true);
        World output(7, 5);
        output.fill(PF_Pixel{9, 8, 7, 6});
        const std::vector<std::uint8_t> before = output.bytes();
        // Either the frame is refused as the host's format error, or it is read correctly.
        const int code = thrownCode([&] { renderFrame(input, output, &host.inData(), pass); });
        if (code != 0) {
            EXPECT_EQ(code, PF_Err_BAD_CALLBACK_PARAM);
            EXPECT_EQ(output.bytes(), before);
        } else {
            EXPECT_EQ(firstDifference(input, output), "");
        }
        // A refused frame leaves its layer on the stack; start the next one afresh.
        testTarget().release();
    }
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, BottomUpWorldsGiveTheSameFrameAsTopDownOnes) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    using Order = World::RowOrder;
    // Padding of whole pixels, of none, and of a stray byte count: each takes its own path.
    for (int padding : {8, 0, 3}) {
        World reference(33, 17);
        {
            World topDown(33, 17, padding, 0x3C);
            fillPattern(topDown, false);
            renderFrame(topDown, reference, &host.inData(), pass);
        }
        for (Order in : {Order::TopDown, Order::BottomUp}) {
            for (Order out : {Order::TopDown, Order::BottomUp}) {
                SCOPED_TRACE("padded " + std::to_string(padding) +
                             (in == Order::BottomUp ? ", bottom-up in" : ", top-down in") +
                             (out == Order::BottomUp ? ", bottom-up out" : ", top-down out"));
                World input(33, 17, padding, 0x3C, in);
                fillPattern(input, false);
                World output(33, 17, padding, 0xA5, out);
                renderFrame(input, output, &host.inData(), pass);
                EXPECT_EQ(firstDifference(reference, output), "");
                EXPECT_EQ(paddingChanged(output, 0xA5), "");
                EXPECT_EQ(glErrors(), "");
            }
        }
    }

    // Rows shorter than the width would overlap: refused before a byte is written.
    World input(7, 5, 4, 0, Order::BottomUp);
    fillPattern(input, true);
    World output(7, 5, 4, 0xA5, Order::BottomUp);
    const Transfer t = drawFrame(input, &host.inData(), pass);
    output.world()->rowbytes = -(7 * 4 - 4);
    const std::vector<std::uint8_t> before = output.bytes();
    EXPECT_EQ(thrownCode([&] {
                  downloadTexture(7, 5, input.world(), output.world(), &host.inData(), kFormatArgb8,
                                  t.bytesPerPixel, t.pixelType);
              }),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(output.bytes(), before);
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, TranslucentPixelsComeBackWithinPremultipliedRounding) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    World input(33, 17, 8);
    fillPattern(input, false);
    World output(33, 17);
    renderFrame(input, output, &host.inData(), pass);

    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x) {
            const PF_Pixel& in = input.at(x, y);
            const PF_Pixel& out = output.at(x, y);
            SCOPED_TRACE("(" + std::to_string(x) + ", " + std::to_string(y) + ") " + describe(in) +
                         " -> " + describe(out));
            ASSERT_EQ(out.alpha, in.alpha);
            // The layer keeps colour times alpha in 8 bits, half a step off at most; dividing
            // by alpha stretches that to 127.5 / alpha steps of straight colour, and the final
            // write rounds by another half step.
            const double tolerance = 0.5 + 127.5 / in.alpha + 1e-6;
            EXPECT_LE(std::abs(double(out.red) - in.red), tolerance);
            EXPECT_LE(std::abs(double(out.green) - in.green), tolerance);
            EXPECT_LE(std::abs(double(out.blue) - in.blue), tolerance);
        }
    }
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, PremultipliedLayerComesOutStraightInHostOrder) {
    EffectHost host(&EntryPointFunc);
    RenderTarget& target = testTarget();
    target.resize(7, 5);
    target.begin();
    Pass pass(kConstantFragment);
    pass.drawColour({0.25f, 0.125f, 0.0f, 0.5f});
    target.finish(1.0f);
    World input(7, 5);
    World output(7, 5, 4, 0xA5);
    downloadTexture(7, 5, input.world(), output.world(), &host.inData(), kFormatArgb8, 4,
                    GL_UNSIGNED_BYTE);

    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const PF_Pixel& p = output.at(x, y);
            SCOPED_TRACE("(" + std::to_string(x) + ", " + std::to_string(y) + ") " + describe(p));
            EXPECT_NEAR(p.alpha, 127.5, 1.0);
            EXPECT_NEAR(p.red, 127.5, 1.0);
            EXPECT_NEAR(p.green, 63.75, 1.0);
            EXPECT_NEAR(p.blue, 0.0, 1.0);
        }
    }
    EXPECT_EQ(paddingChanged(output, 0xA5), "");
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, ZeroAlphaComesOutAsFourZeroBytesWhateverTheColour) {
    EffectHost host(&EntryPointFunc);
    const PF_Pixel stale{0x5A, 0x5A, 0x5A, 0x5A};
    const PF_Pixel zero{0, 0, 0, 0};

    // From the host: colour under zero alpha.
    Pass passThrough(kPassThroughFragment);
    World input(7, 5);
    fillPattern(input, true);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            input.at(x, y).alpha = 0;
        }
    }
    World output(7, 5);
    output.fill(stale);
    renderFrame(input, output, &host.inData(), passThrough);
    World zeros(7, 5);
    zeros.fill(zero);
    EXPECT_EQ(firstDifference(zeros, output), "");

    // Drawn by a pass: colour left in a pixel it made fully transparent.
    RenderTarget& target = testTarget();
    target.begin();
    Pass constant(kConstantFragment);
    constant.drawColour({0.5f, 0.25f, 1.0f, 0.0f});
    target.finish(1.0f);
    output.fill(stale);
    downloadTexture(7, 5, input.world(), output.world(), &host.inData(), kFormatArgb8, 4,
                    GL_UNSIGNED_BYTE);
    EXPECT_EQ(firstDifference(zeros, output), "");
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, DownloadFaultsThrowTheHostCodeWriteNothingAndHoldNothing) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    World input(33, 17, 12);
    fillPattern(input, true);
    const Transfer t = drawFrame(input, &host.inData(), pass);

    struct Fault {
        const char* name;
        int code;
        std::uint32_t format;
        std::function<void(bool)> inject;
    };
    const Fault faults[] = {
        {"handle suite refused", 13, kFormatArgb8,
         [&](bool on) {
             on ? host.suites().refuse("PF Handle Suite") : host.suites().allow("PF Handle Suite");
         }},
        {"allocation failed", 4, kFormatArgb8,
         [&](bool on) { host.handles().failAllocations(on ? 1 : 0); }},
        {"unknown format", 516, kUnknownFormat, [](bool) {}},
        {"no pixel address", 516, kFormatArgb8, [&](bool on) { host.failPixelData(on); }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        // Padding of no whole pixel: the read goes through a handle (a world that takes the
        // read in place needs none).
        World output(33, 17, 6, 0xA5);
        output.fill(PF_Pixel{1, 2, 3, 4});
        const std::vector<std::uint8_t> before = output.bytes();
        fault.inject(true);
        EXPECT_EQ(thrownCode([&] {
                      downloadTexture(33, 17, input.world(), output.world(), &host.inData(),
                                      fault.format, t.bytesPerPixel, t.pixelType);
                  }),
                  fault.code);
        fault.inject(false);
        EXPECT_EQ(output.bytes(), before);
        expectNothingHeld(host);

        // The frame is still there for a read that succeeds.
        downloadTexture(33, 17, input.world(), output.world(), &host.inData(), kFormatArgb8,
                        t.bytesPerPixel, t.pixelType);
        EXPECT_EQ(firstDifference(input, output), "");
        expectNothingHeld(host);
    }
}

// The texture's floats, as `format` holds them, read back.
std::vector<float> textureFloats(GLuint texture, GLenum format, int texels) {
    std::vector<float> values(std::size_t(texels) * (format == GL_RED ? 1 : 4), -1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_FLOAT, values.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return values;
}

// The upload converts bytes to floats itself, strip by strip: every byte value, in every
// channel and in the alpha-only texture, must become the float the driver makes of it, and
// rows of every strip (and padded, bottom-up ones) land where they belong.
TEST_F(FrameTransferGLTest, UploadsHoldTheFloatsTheDriverMakesOfTheBytes) {
    using Order = World::RowOrder;
    EffectHost host(&EntryPointFunc);
    const int width = 2048;
    const int height = 150;
    auto fill = [&](World& world) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                PF_Pixel& p = world.at(x, y);
                p.alpha = static_cast<A_u_char>(x + y * 3);
                p.red = static_cast<A_u_char>(x * 7 + y);
                p.green = static_cast<A_u_char>(255 - x);
                p.blue = static_cast<A_u_char>(x / 8 + y * 5);
            }
        }
    };
    World input(width, height, 12);
    fill(input);
    // The driver's own conversion of the very bytes, top row first.
    std::vector<std::uint8_t> bytes(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        std::memcpy(&bytes[std::size_t(y) * width * 4], input.row(y), std::size_t(width) * 4);
    }
    GLuint reference = 0;
    glGenTextures(1, &reference);
    glBindTexture(GL_TEXTURE_2D, reference);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, bytes.data());
    const std::vector<float> expected = textureFloats(reference, GL_RGBA, width * height);
    glDeleteTextures(1, &reference);

    std::uint64_t bytesPerPixel = 0;
    GLenum pixelType = GL_NONE;
    float multiplier = 0.0f;
    for (const Order order : {Order::TopDown, Order::BottomUp}) {
        SCOPED_TRACE(order == Order::BottomUp ? "bottom-up" : "top-down");
        World world(width, height, 12, 0, order);
        fill(world);
        Kelvane::Neon::Texture four;
        Kelvane::Neon::uploadInto(four, kFormatArgb8, world.world(), &host.inData(), &bytesPerPixel,
                                  &pixelType, &multiplier);
        EXPECT_TRUE(textureFloats(four.get(), GL_RGBA, width * height) == expected);
        Kelvane::Neon::Texture alpha;
        Kelvane::Neon::uploadInto(alpha, kFormatArgb8, world.world(), &host.inData(),
                                  &bytesPerPixel, &pixelType, &multiplier, true);
        const std::vector<float> red = textureFloats(alpha.get(), GL_RED, width * height);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < red.size(); ++i) {
            differing += red[i] != expected[i * 4] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0u);
    }
    EXPECT_EQ(glErrors(), "");
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, UploadFaultsThrowTheHostCodeAndMakeNoTexture) {
    EffectHost host(&EntryPointFunc);
    World input(7, 5, 4);
    fillPattern(input, true);
    std::uint64_t bytesPerPixel = 0;
    GLenum pixelType = GL_NONE;
    float multiplier = 0.0f;
    auto upload = [&](std::uint32_t format) {
        return thrownCode([&] {
            uploadTexture(format, input.world(), &host.inData(), &bytesPerPixel, &pixelType,
                          &multiplier);
        });
    };

    EXPECT_EQ(upload(kUnknownFormat), 516);
    host.failPixelData(true);
    EXPECT_EQ(upload(kFormatArgb8), 516);
    host.failPixelData(false);
    input.world()->rowbytes = 7 * 4 - 4;
    EXPECT_EQ(upload(kFormatArgb8), 516);
    input.world()->rowbytes = -(7 * 4 - 4);
    EXPECT_EQ(upload(kFormatArgb8), 516);

    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glErrors(), "");
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, OutputOfAnotherSizeGetsOnlyTheOverlap) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    World input(33, 17, 12);
    fillPattern(input, true);

    World smaller(20, 9, 4, 0xA5);
    renderFrame(input, smaller, &host.inData(), pass);
    EXPECT_EQ(firstDifference(input, smaller, 20, 9), "");
    EXPECT_EQ(paddingChanged(smaller, 0xA5), "");

    const PF_Pixel untouched{1, 2, 3, 4};
    World larger(40, 21, 8, 0xA5);
    larger.fill(untouched);
    renderFrame(input, larger, &host.inData(), pass);
    EXPECT_EQ(firstDifference(input, larger), "");
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x >= 33 || y >= 17) {
                const PF_Pixel& p = larger.at(x, y);
                EXPECT_EQ(describe(p), describe(untouched)) << "(" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(paddingChanged(larger, 0xA5), "");
    expectNothingHeld(host);
}

TEST_F(FrameTransferGLTest, FrameOnASecondThreadRoundTripsInThatThreadsContext) {
    EffectHost host(&EntryPointFunc);
    Pass pass(kPassThroughFragment);
    World input(33, 17, 12);
    fillPattern(input, true);
    World first(33, 17);
    renderFrame(input, first, &host.inData(), pass);

    World threadInput(7, 5, 8);
    fillPattern(threadInput, true);
    World threadOutput(7, 5, 4, 0xA5);
    std::string failure;
    std::string threadErrors;
    std::thread worker([&] {
        try {
            Kelvane::Neon::AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
            if (context == nullptr) {
                failure = "no context for the thread";
                return;
            }
            context->makeCurrent();
            renderFrame(threadInput, threadOutput, &host.inData(), pass);
            threadErrors = glErrors();
        } catch (int code) {
            failure = "threw " + std::to_string(code);
        } catch (...) {
            failure = "threw";
        }
        wglMakeCurrent(nullptr, nullptr);
    });
    worker.join();
    ASSERT_EQ(failure, "");
    EXPECT_EQ(threadErrors, "");
    EXPECT_EQ(firstDifference(threadInput, threadOutput), "");
    EXPECT_EQ(paddingChanged(threadOutput, 0xA5), "");

    // The main thread's context still draws with its own objects afterwards.
    World again(33, 17);
    renderFrame(input, again, &host.inData(), pass);
    EXPECT_EQ(firstDifference(input, first), "");
    EXPECT_EQ(firstDifference(input, again), "");
    expectNothingHeld(host);
}

} // namespace
