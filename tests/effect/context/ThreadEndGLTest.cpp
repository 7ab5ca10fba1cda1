// Render threads that end, through the headless host: a host may start a new thread for every
// frame, so each thread's context and its framebuffers must go with it.

#include "standins/aehost/host/EffectHost.h"
#include "standins/aehost/host/World.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/RenderTarget.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/controls/NeonParams.h"
#include "standins/win32/StandInControl.h"

#include <glbinding/gl33core/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <future>
#include <thread>

namespace {

using namespace gl;
using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::RenderTarget;

class ThreadEndGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelvane::Neon::StandIn::resetAll();
        ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
        ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
        host.streams().at(NEON_END_DISTANCE).u.sd.value = 6;
        for (int y = 0; y < input.height(); ++y) {
            for (int x = 0; x < input.width(); ++x) {
                const bool inside = x >= 8 && x < 16 && y >= 6 && y < 14;
                input.at(x, y) = inside ? PF_Pixel{255, 250, 250, 250} : PF_Pixel{0, 0, 0, 0};
            }
        }
    }
    void TearDown() override {
        EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
        wglMakeCurrent(nullptr, nullptr);
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
    Kelvane::Neon::Host::World input{24, 20};
};

TEST_F(ThreadEndGLTest, EachEndedRenderThreadLeavesNoContextBehind) {
    Kelvane::Neon::Host::World expected(24, 20);
    ASSERT_EQ(host.render(input.world(), expected.world()), PF_Err_NONE);
    // The root and this thread's context, which lives on with this thread.
    ASSERT_EQ(ContextRegistry::threadContextCount(), 1u);
    const std::size_t contexts = Kelvane::Neon::StandIn::liveContextCount();
    const std::size_t windows = Kelvane::Neon::StandIn::liveWindowCount();

    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        Kelvane::Neon::Host::World output(24, 20);
        std::array<GLuint, 3> framebuffers{};
        std::thread([&] {
            EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
            EXPECT_EQ(ContextRegistry::threadContextCount(), 2u);
            ContextRegistry::contextForCurrentThread()->makeCurrent();
            RenderTarget& target = Kelvane::Neon::effectGpu()->target;
            framebuffers = {target.mainFramebuffer(), target.resolveFramebuffer(),
                            target.multisampleFramebuffer()};
            wglMakeCurrent(nullptr, nullptr);
        }).join();
        // A new thread may get the ended one's handle: it must render alike.
        EXPECT_EQ(output.bytes(), expected.bytes());
        EXPECT_EQ(ContextRegistry::threadContextCount(), 1u);
        EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), contexts);
        EXPECT_EQ(Kelvane::Neon::StandIn::liveWindowCount(), windows);

        // Deleted, not left to the context: a driver may keep framebuffers in the share group.
        ContextRegistry::rootContext()->makeCurrent();
        for (GLuint framebuffer : framebuffers) {
            EXPECT_NE(framebuffer, 0u);
            EXPECT_EQ(glIsFramebuffer(framebuffer), GL_FALSE) << "framebuffer " << framebuffer;
        }
        wglMakeCurrent(nullptr, nullptr);
    }
}

// Set-down deletes every context; a thread that outlives it, renders again after a new set-up
// and then ends deletes only the context it got since.
TEST_F(ThreadEndGLTest, AThreadOutlivingSetDownDeletesNothingTwice) {
    std::promise<void> rendered;
    std::promise<void> setUpAgain;
    Kelvane::Neon::Host::World first(24, 20);
    Kelvane::Neon::Host::World again(24, 20);
    std::thread worker([&] {
        EXPECT_EQ(host.render(input.world(), first.world()), PF_Err_NONE);
        rendered.set_value();
        setUpAgain.get_future().wait();
        EXPECT_EQ(host.render(input.world(), again.world()), PF_Err_NONE);
    });
    rendered.get_future().wait();
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(ContextRegistry::threadContextCount(), 0u);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    setUpAgain.set_value();
    worker.join();
    EXPECT_EQ(again.bytes(), first.bytes());
    EXPECT_EQ(ContextRegistry::threadContextCount(), 0u);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 1u) << "the root alone";
}

} // namespace
