// The filter called by a host that has its own GLX context current on the calling thread, as
// an editor drawing its window with OpenGL under X11 does. Runs under Xvfb.
#include "tests/apps/frei0r/Frei0rPlugin.h"

#include <GL/glx.h>

#include <cstdint>
#include <vector>

namespace {

class Frei0rGlxHostGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display: run under xvfb-run";
        const int wanted[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                              None};
        int count = 0;
        GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), wanted, &count);
        ASSERT_GT(count, 0);
        context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
        const int size[] = {GLX_PBUFFER_WIDTH, 16, GLX_PBUFFER_HEIGHT, 16, None};
        surface = glXCreatePbuffer(display, configs[0], size);
        XFree(configs);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(glXMakeContextCurrent(display, surface, surface, context));
        glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    }

    void TearDown() override {
        if (display == nullptr) {
            return;
        }
        glXMakeContextCurrent(display, None, None, nullptr);
        if (context != nullptr) {
            glXDestroyPbuffer(display, surface);
            glXDestroyContext(display, context);
        }
        XCloseDisplay(display);
    }

    void expectHostContextUntouched() {
        EXPECT_EQ(glXGetCurrentContext(), context);
        EXPECT_EQ(glXGetCurrentDrawable(), surface);
        GLfloat clear[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_EQ(clear[0], 0.25f);
        EXPECT_EQ(clear[2], 0.75f);
    }

    Display* display = nullptr;
    GLXContext context = nullptr;
    GLXPbuffer surface = 0;
};

// A white square on transparency.
std::vector<std::uint32_t> square() {
    std::vector<std::uint32_t> frame(64 * 48, 0);
    for (int y = 12; y < 36; ++y) {
        for (int x = 20; x < 44; ++x) {
            frame[std::size_t(y * 64 + x)] = 0xFFFFFFFFu;
        }
    }
    return frame;
}

TEST_F(Frei0rGlxHostGLTest, FilterRendersAndGivesTheHostItsContextBack) {
    Frei0rPlugin f0r;
    ASSERT_EQ(f0r.init(), 1);
    expectHostContextUntouched();
    f0r_instance_t instance = f0r.construct(64, 48);
    ASSERT_NE(instance, nullptr);
    const auto in = square();
    std::vector<std::uint32_t> withHost(in.size()), alone(in.size());
    f0r.update(instance, 0.0, in.data(), withHost.data());
    expectHostContextUntouched();

    // The same frame with no context of the host's current: the same bytes.
    glXMakeContextCurrent(display, None, None, nullptr);
    f0r.update(instance, 0.0, in.data(), alone.data());
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    ASSERT_TRUE(glXMakeContextCurrent(display, surface, surface, context));
    EXPECT_NE(withHost, in) << "the frame passed through";
    EXPECT_EQ(withHost, alone);

    f0r.destruct(instance);
    f0r.deinit();
    expectHostContextUntouched();
}

} // namespace
