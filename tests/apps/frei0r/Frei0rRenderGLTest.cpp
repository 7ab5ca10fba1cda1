// The frei0r filter rendering through the built plug-in: several instances of different sizes
// and values, host threads, frames the GPU cannot take, and the host's standard output.

#include "tests/apps/frei0r/Frei0rPlugin.h"

#include <gmock/gmock.h>

#include <thread>

namespace {

using ::testing::HasSubstr;
using Frame = std::vector<std::uint32_t>;

// An opaque rectangle on transparency, at `shift` pixels from the left; red, green and blue all
// differ, so a swapped channel shows.
Frame shape(unsigned width, unsigned height, unsigned shift) {
    Frame frame(std::size_t(width) * height, 0u);
    for (unsigned y = height / 4; y < height * 3 / 4; ++y) {
        for (unsigned x = width / 4 + shift; x < width / 2 + shift && x < width; ++x) {
            auto* p = reinterpret_cast<std::uint8_t*>(&frame[std::size_t(y) * width + x]);
            p[0] = 220, p[1] = std::uint8_t(4 * x), p[2] = 40, p[3] = 255;
        }
    }
    return frame;
}

class Frei0rRenderGLTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(f0r.init(), 1); }
    void TearDown() override { f0r.deinit(); }

    struct Setup {
        unsigned width, height;
        void (*apply)(const Frei0rPlugin&, f0r_instance_t);
    };
    // Two instances unlike in size and in values.
    static constexpr Setup kInner{48, 40, [](const Frei0rPlugin& f, f0r_instance_t fx) {
                                      f.setString(fx, "Neon Type", "Inner Neon");
                                      f.setDouble(fx, "Stroke Count", 1.0);
                                      f.setString(fx, "Quality", "Extreme");
                                  }};
    static constexpr Setup kOuter{64, 32, [](const Frei0rPlugin& f, f0r_instance_t fx) {
                                      f.setDouble(fx, "Glow Opacity", 0.9);
                                      f.setString(fx, "Composite", "Neon And Origin");
                                      f.setString(fx, "Color Type", "Gradient");
                                  }};

    f0r_instance_t make(const Setup& setup) const {
        const f0r_instance_t fx = f0r.construct(setup.width, setup.height);
        setup.apply(f0r, fx);
        return fx;
    }
    Frame render(f0r_instance_t fx, const Setup& setup, unsigned frame) const {
        const Frame in = shape(setup.width, setup.height, 3 * frame);
        Frame out(in.size(), 0xDEADBEEFu);
        f0r.update(fx, frame / 25.0, in.data(), out.data());
        return out;
    }
    // Three frames of one instance on its own.
    std::vector<Frame> alone(const Setup& setup) const {
        const f0r_instance_t fx = make(setup);
        std::vector<Frame> frames;
        for (unsigned i = 0; i < 3; ++i) {
            frames.push_back(render(fx, setup, i));
        }
        f0r.destruct(fx);
        return frames;
    }

    Frei0rPlugin f0r;
};

TEST_F(Frei0rRenderGLTest, InterleavedInstancesGiveTheFramesOfEachAlone) {
    testing::internal::CaptureStderr();
    const auto inner = alone(kInner);
    const auto outer = alone(kOuter);
    ASSERT_NE(inner[0], shape(kInner.width, kInner.height, 0)) << "not rendered";
    ASSERT_NE(outer[1], shape(kOuter.width, kOuter.height, 3)) << "not rendered";
    ASSERT_NE(inner[0], inner[1]);

    const f0r_instance_t a = make(kInner);
    const f0r_instance_t b = make(kOuter);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(render(a, kInner, i), inner[i]) << "frame " << i;
        EXPECT_EQ(render(b, kOuter, i), outer[i]) << "frame " << i;
    }
    f0r.destruct(a);
    f0r.destruct(b);
    EXPECT_EQ(count(testing::internal::GetCapturedStderr(), "zarvo_neon:"), 0);
}

TEST_F(Frei0rRenderGLTest, UpdatesFromSeveralThreadsGiveTheSameFrames) {
    const auto inner = alone(kInner);
    const auto outer = alone(kOuter);

    // Each instance on a thread of its own, both at once.
    const f0r_instance_t a = make(kInner);
    const f0r_instance_t b = make(kOuter);
    std::vector<Frame> fromA, fromB;
    std::thread threadA([&] {
        for (unsigned i = 0; i < 3; ++i) {
            fromA.push_back(render(a, kInner, i));
        }
    });
    std::thread threadB([&] {
        for (unsigned i = 0; i < 3; ++i) {
            fromB.push_back(render(b, kOuter, i));
        }
    });
    threadA.join();
    threadB.join();
    EXPECT_EQ(fromA, inner);
    EXPECT_EQ(fromB, outer);

    // One instance handed from thread to thread, as a host's pool does.
    for (unsigned i = 0; i < 3; ++i) {
        Frame frame;
        std::thread([&] { frame = render(a, kInner, i); }).join();
        EXPECT_EQ(frame, inner[i]) << "frame " << i;
    }
    f0r.destruct(a);
    f0r.destruct(b);
}

TEST_F(Frei0rRenderGLTest, FramesBeyondTheGpuLimitPassThroughWithOneMessage) {
    // Wider than any driver's textures (32768 at most) and than a host layer (30000).
    const unsigned width = 32776, height = 8;
    Frame in(std::size_t(width) * height);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i] = std::uint32_t(i * 2654435761u);
    }
    Frame out(in.size());
    const f0r_instance_t fx = f0r.construct(width, height);
    testing::internal::CaptureStderr();
    f0r.update(fx, 0.0, in.data(), out.data());
    f0r.update(fx, 0.04, in.data(), out.data());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, in);
    EXPECT_EQ(count(said, "zarvo_neon:"), 1) << said;
    EXPECT_THAT(said, HasSubstr("cannot render a 32776 x 8 frame"));
    f0r.destruct(fx);

    // The instance that failed harms no other.
    const f0r_instance_t fine = make(kOuter);
    EXPECT_EQ(render(fine, kOuter, 0), alone(kOuter)[0]);
    f0r.destruct(fine);
}

TEST_F(Frei0rRenderGLTest, SetUpIsCountedAndStandardOutputStaysTheHosts) {
    // ffmpeg initialises once per filter in a graph: a second pair of calls must neither make
    // a second set-up nor end the first.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_EQ(f0r.init(), 1);
    f0r.deinit();
    const auto frames = alone(kInner);
    const std::string stdoutText = testing::internal::GetCapturedStdout();
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_NE(frames[0], shape(kInner.width, kInner.height, 0));
    // Nothing on a host's standard output, which may be streaming video; the module's context
    // report only when asked for.
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(stderrText, "");

    // The last f0r_deinit before the last instance is gone: the set-down waits for it, and a
    // later f0r_init sets up afresh.
    const f0r_instance_t fx = make(kInner);
    f0r.deinit();
    EXPECT_EQ(render(fx, kInner, 1), frames[1]);
    f0r.destruct(fx);
    ASSERT_EQ(f0r.init(), 1);
    EXPECT_EQ(alone(kInner), frames);

    // Asked for, the report goes to standard error too, as each new context is made.
    setenv("ZARVO_NEON_GL_INFO", "1", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const f0r_instance_t late = make(kInner);
    std::thread([&] { render(late, kInner, 0); }).join();
    f0r.destruct(late);
    unsetenv("ZARVO_NEON_GL_INFO");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("OpenGL Renderer:"));
}

} // namespace
