// Contexts made through the registry, on real EGL contexts behind the Win32 stand-in.

#include "effect/gl/AESDK_OpenGL_Fault.h"
#include "effect/gl/ContextRegistry.h"
#include "standins/win32/StandInControl.h"

#include <glbinding/gl33core/gl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <thread>

using namespace gl;
using Kelvane::Neon::AEOpenGLContext;
using Kelvane::Neon::AESDK_OpenGL_Fault;
using Kelvane::Neon::ContextRegistry;

namespace {

class ContextRegistryGLTest : public ::testing::Test {
protected:
    void SetUp() override { Kelvane::Neon::StandIn::resetAll(); }
    void TearDown() override {
        ContextRegistry::destroyAll();
        Kelvane::Neon::StandIn::resetAll();
        wglMakeCurrent(nullptr, nullptr);
    }

    // Runs `work` on a new thread that leaves no context current behind it, as a render does
    // for a host without one.
    template <typename Work> static void onThread(Work work) {
        std::thread t([&] {
            work();
            wglMakeCurrent(nullptr, nullptr);
        });
        t.join();
    }

    static std::pair<int, int> glVersion() {
        GLint major = 0, minor = 0;
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        return {major, minor};
    }
};

// CTest gives this test a fresh process, so its thread is the first to ask.
TEST_F(ContextRegistryGLTest, FirstThreadGetsSlotZeroAndKeepsItsContext) {
    ContextRegistry::createRoot();
    onThread([] {
        EXPECT_EQ(ContextRegistry::currentThreadSlot(), -1);
        AEOpenGLContext* first = ContextRegistry::contextForCurrentThread();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(ContextRegistry::currentThreadSlot(), 0);

        Kelvane::Neon::StandIn::resetCallCounts();
        EXPECT_EQ(ContextRegistry::contextForCurrentThread(), first);
        EXPECT_EQ(Kelvane::Neon::StandIn::callCount("CreateWindowExA"), 0u);
        EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglCreateContext"), 0u);
        EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglCreateContextAttribsARB"), 0u);
    });
    onThread([] {
        ContextRegistry::contextForCurrentThread();
        EXPECT_EQ(ContextRegistry::currentThreadSlot(), 1);
    });
}

TEST_F(ContextRegistryGLTest, ThreadContextsAreDistinct33ContextsSharingWithTheRoot) {
    ContextRegistry::createRoot();
    AEOpenGLContext* root = ContextRegistry::rootContext();
    ASSERT_NE(root, nullptr);
    root->makeCurrent();
    GLuint rootBuffer = 0;
    glGenBuffers(1, &rootBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, rootBuffer);
    glFinish();
    wglMakeCurrent(nullptr, nullptr);

    GLuint texture = 0;
    onThread([&] {
        AEOpenGLContext* first = ContextRegistry::contextForCurrentThread();
        first->makeCurrent();
        const auto [major, minor] = glVersion();
        EXPECT_GE(major * 10 + minor, 33);
        EXPECT_EQ(glIsBuffer(rootBuffer), GL_TRUE) << "a buffer of the root";
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA8), 4, 4, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        glFinish();
        // While the first thread lives, so that its context does too.
        onThread([&] {
            AEOpenGLContext* second = ContextRegistry::contextForCurrentThread();
            second->makeCurrent();
            EXPECT_EQ(glIsTexture(texture), GL_TRUE) << "a texture of one thread's context";
            EXPECT_NE(first, second);
            EXPECT_NE(first->hglrc, second->hglrc);
            EXPECT_NE(first, root);
        });
    });
    // Both thread contexts are gone; what they made in the share group stays.
    root->makeCurrent();
    EXPECT_EQ(glIsTexture(texture), GL_TRUE) << "a thread's texture in the root";

    // Shared at creation: sharing a context that has been current fails on real platforms.
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglShareLists"), 0u);
}

// Windows hands a new context the handle value of a deleted one; the binding must then be
// pointed at it on a thread that has never used that value.
TEST_F(ContextRegistryGLTest, AContextReusingADeletedOnesHandleIsUsable) {
    ContextRegistry::createRoot();
    HGLRC previous = nullptr;
    onThread([&] { previous = ContextRegistry::contextForCurrentThread()->hglrc; });
    ContextRegistry::destroyAll();
    ContextRegistry::createRoot();
    onThread([&] {
        AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
        ASSERT_EQ(context->hglrc, previous);
        context->makeCurrent();
        const auto [major, minor] = glVersion();
        EXPECT_GE(major * 10 + minor, 33);
        EXPECT_EQ(glGetError(), GL_NO_ERROR);
    });
}

TEST_F(ContextRegistryGLTest, WithoutARootAThreadMakesAnUnsharedContext) {
    onThread([] {
        AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(wglGetCurrentContext(), context->hglrc);
    });
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglCreateContext"), 1u);
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglCreateContextAttribsARB"), 0u);
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglShareLists"), 0u);
}

// CTest gives this test a fresh process: no earlier construction stored the entry point.
TEST_F(ContextRegistryGLTest, RootNeedsTheCreateContextExtensionAndCleansUpAfterItself) {
    Kelvane::Neon::StandIn::dropExtension("WGL_ARB_create_context");
    const std::size_t windows = Kelvane::Neon::StandIn::liveWindowCount();
    try {
        ContextRegistry::createRoot();
        FAIL() << "made a root without WGL_ARB_create_context";
    } catch (const AESDK_OpenGL_Fault& fault) {
        EXPECT_EQ(fault.errorCode, 1);
    }
    EXPECT_EQ(ContextRegistry::rootContext(), nullptr);
    // Nothing of the failed construction is left behind.
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveWindowCount(), windows);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(ContextRegistryGLTest, EveryFailingStepThrowsAndReleasesWhatItMade) {
    for (const char* step : {"RegisterClassExA", "CreateWindowExA", "ChoosePixelFormat",
                             "SetPixelFormat", "wglCreateContext", "wglMakeCurrent"}) {
        SCOPED_TRACE(step);
        Kelvane::Neon::StandIn::failCall(step);
        EXPECT_THROW(ContextRegistry::createRoot(), AESDK_OpenGL_Fault);
        Kelvane::Neon::StandIn::clearFailures();
        EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
        EXPECT_EQ(Kelvane::Neon::StandIn::liveWindowCount(), 0u);
    }
    // A shared context that cannot be made current.
    ContextRegistry::createRoot();
    Kelvane::Neon::StandIn::failCall("wglMakeCurrent");
    onThread([] { EXPECT_THROW(ContextRegistry::contextForCurrentThread(), AESDK_OpenGL_Fault); });
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 1u);
}

TEST_F(ContextRegistryGLTest, AThreadWhoseContextWasLostGetsANewOne) {
    ContextRegistry::createRoot();
    std::thread t([] {
        Kelvane::Neon::StandIn::failCall("wglCreateContextAttribsARB");
        EXPECT_THROW(ContextRegistry::contextForCurrentThread(), AESDK_OpenGL_Fault);
        const int slot = ContextRegistry::currentThreadSlot();
        EXPECT_NE(slot, -1) << "the slot is assigned before the construction";
        AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
        EXPECT_NE(context, nullptr);
        EXPECT_EQ(ContextRegistry::currentThreadSlot(), slot);
        wglMakeCurrent(nullptr, nullptr);
    });
    t.join();
}

TEST_F(ContextRegistryGLTest, WindowClassNamesCarryTheAddressAndACounter) {
    ContextRegistry::createRoot();
    AEOpenGLContext* root = ContextRegistry::rootContext();
    std::string threadClass;
    std::string threadAddress;
    onThread([&] {
        AEOpenGLContext* thread = ContextRegistry::contextForCurrentThread();
        threadClass = thread->className;
        threadAddress = std::to_string(reinterpret_cast<std::uint64_t>(thread));
    });

    const std::regex form("AEOpenGL_Win_Class([0-9]+)_([0-9]+)");
    std::smatch rootParts, threadParts;
    ASSERT_TRUE(std::regex_match(root->className, rootParts, form)) << root->className;
    ASSERT_TRUE(std::regex_match(threadClass, threadParts, form)) << threadClass;
    EXPECT_EQ(rootParts[1], std::to_string(reinterpret_cast<std::uint64_t>(root)));
    EXPECT_EQ(threadParts[1], threadAddress);
    EXPECT_EQ(std::stoi(threadParts[2]), std::stoi(rootParts[2]) + 1);
    EXPECT_TRUE(Kelvane::Neon::StandIn::isClassRegistered(root->className));
}

TEST_F(ContextRegistryGLTest, DestroyAllLeavesNoContextCurrentAndNothingBehind) {
    ContextRegistry::createRoot();
    const std::string rootClass = ContextRegistry::rootContext()->className;
    AEOpenGLContext* mine = ContextRegistry::contextForCurrentThread();
    mine->makeCurrent();
    ContextRegistry::destroyAll();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(ContextRegistry::rootContext(), nullptr);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
    // Both were made on this thread, so their windows and classes went too.
    EXPECT_EQ(Kelvane::Neon::StandIn::liveWindowCount(), 0u);
    EXPECT_FALSE(Kelvane::Neon::StandIn::isClassRegistered(rootClass));
}

TEST_F(ContextRegistryGLTest, EachContextPrintsItsInformationBlock) {
    testing::internal::CaptureStdout();
    ContextRegistry::createRoot();
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::regex block("\nOpenGL Version:  [0-9]+\\.[0-9]+\n"
                           "OpenGL Vendor:   [^\n]+\n"
                           "OpenGL Renderer: [^\n]+\n"
                           "OpenGL Revision: [0-9]+ \\(gl\\.xml\\)\n\n");
    EXPECT_TRUE(std::regex_match(out, block)) << out;
}

} // namespace
