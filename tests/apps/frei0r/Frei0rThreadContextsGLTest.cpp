// A frei0r host that updates from a new thread every frame: the plug-in must delete each
// ended thread's context. Its contexts are counted at the EGL calls it makes: this program
// exports its own eglCreateContext and eglDestroyContext, which symbol lookup finds before
// the EGL library's, and passes them on.

#include "tests/apps/frei0r/Frei0rPlugin.h"

#include <EGL/egl.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

std::atomic<int> made{0};
std::atomic<int> live{0};

template <typename F> F realEgl(const char* name) {
    static void* library = dlopen("libEGL.so.1", RTLD_NOW | RTLD_GLOBAL);
    return library != nullptr ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
}

} // namespace

extern "C" EGLContext eglCreateContext(EGLDisplay display, EGLConfig config, EGLContext share,
                                       const EGLint* attributes) {
    static const auto real = realEgl<decltype(&eglCreateContext)>("eglCreateContext");
    const EGLContext context = real(display, config, share, attributes);
    if (context != EGL_NO_CONTEXT) {
        ++made;
        ++live;
    }
    return context;
}

extern "C" EGLBoolean eglDestroyContext(EGLDisplay display, EGLContext context) {
    static const auto real = realEgl<decltype(&eglDestroyContext)>("eglDestroyContext");
    const EGLBoolean destroyed = real(display, context);
    if (destroyed == EGL_TRUE) {
        --live;
    }
    return destroyed;
}

namespace {

TEST(Frei0rThreadContextsGLTest, EveryUpdateThreadsContextGoesWithIt) {
    Frei0rPlugin f0r;
    testing::internal::CaptureStderr(); // each new context prints its information block
    ASSERT_EQ(f0r.init(), 1);
    const unsigned width = 32, height = 24;
    const f0r_instance_t fx = f0r.construct(width, height);
    std::vector<std::uint32_t> in(std::size_t(width) * height, 0u);
    for (unsigned y = 6; y < 18; ++y) {
        std::fill_n(&in[y * width + 8], 16, 0xFFFFFFFFu);
    }
    std::vector<std::uint32_t> out(in.size());

    const int madeBefore = made;
    const int liveBefore = live;
    int most = 0;
    for (int frame = 0; frame < 200; ++frame) {
        std::thread([&] { f0r.update(fx, frame / 25.0, in.data(), out.data()); }).join();
        most = std::max<int>(most, live);
    }
    f0r.destruct(fx);
    f0r.deinit();
    testing::internal::GetCapturedStderr();
    ASSERT_GE(made - madeBefore, 200) << "the plug-in's contexts were not counted";
    // Nothing beyond the root, which the first frame may make.
    EXPECT_LE(most - liveBefore, 1);
}

} // namespace
