// The guard that puts back the host's context at the end of every command.

#include "effect/gl/ContextRegistry.h"
#include "effect/gl/SavedContextGuard.h"
#include "standins/aehost/host/HostGLContext.h"
#include "standins/win32/StandInControl.h"

#include <gtest/gtest.h>

using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::SavedContextGuard;

namespace {

class SavedContextGuardGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelvane::Neon::StandIn::resetAll();
        ContextRegistry::createRoot();
        wglMakeCurrent(nullptr, nullptr);
    }
    void TearDown() override {
        ContextRegistry::destroyAll();
        wglMakeCurrent(nullptr, nullptr);
    }
    Kelvane::Neon::AEOpenGLContext& root() { return *ContextRegistry::rootContext(); }
};

TEST_F(SavedContextGuardGLTest, HostWithoutAContextGetsNoneBack) {
    SavedContextGuard guard;
    root().makeCurrent();
    guard.restore();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentDC(), nullptr);
}

TEST_F(SavedContextGuardGLTest, StillCurrentMeansNoWglCall) {
    Kelvane::Neon::Host::HostGLContext host;
    host.makeCurrent();
    SavedContextGuard guard;
    Kelvane::Neon::StandIn::resetCallCounts();
    guard.restore();
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglMakeCurrent"), 0u);
    EXPECT_EQ(wglGetCurrentContext(), host.context());
}

TEST_F(SavedContextGuardGLTest, RestoresOnceExplicitlyOrOnUnwinding) {
    Kelvane::Neon::Host::HostGLContext host;
    host.makeCurrent();
    {
        SavedContextGuard guard;
        root().makeCurrent();
        guard.restore();
        EXPECT_EQ(wglGetCurrentContext(), host.context());
        EXPECT_EQ(wglGetCurrentDC(), host.dc());
        // A second restore does nothing, and neither does the destructor.
        root().makeCurrent();
        guard.restore();
        EXPECT_EQ(wglGetCurrentContext(), root().hglrc);
    }
    EXPECT_EQ(wglGetCurrentContext(), root().hglrc);

    host.makeCurrent();
    try {
        SavedContextGuard guard;
        root().makeCurrent();
        throw 516;
    } catch (int) {
    }
    EXPECT_EQ(wglGetCurrentContext(), host.context());
}

TEST_F(SavedContextGuardGLTest, AfterDestroyAllTheGuardBringsBackTheHostContext) {
    Kelvane::Neon::Host::HostGLContext host;
    host.makeCurrent();
    SavedContextGuard guard;
    root().makeCurrent();
    ContextRegistry::destroyAll();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    guard.restore();
    EXPECT_EQ(wglGetCurrentContext(), host.context());
}

} // namespace
