// Frames the GPU cannot finish, through the headless host: storage it cannot allocate, a
// context it cannot make current; and what a resize leaves in another thread's context.

#include "standins/aehost/host/EffectHost.h"
#include "standins/aehost/host/HostGLContext.h"
#include "standins/aehost/host/World.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/RenderTarget.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/controls/NeonParams.h"
#include "standins/win32/StandInControl.h"

#include <glbinding/gl33core/gl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

using namespace gl;
using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::RenderTarget;
using ::testing::HasSubstr;

// An opaque square [from, to) on both axes, on transparency.
void drawSquare(Kelvane::Neon::Host::World& world, int from, int to) {
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            const bool inside = x >= from && x < to && y >= from && y < to;
            world.at(x, y) = inside ? PF_Pixel{255, 250, 250, 250} : PF_Pixel{0, 0, 0, 0};
        }
    }
}

// Storage allocations the effect's render target skips next, as failed ones.
std::atomic<int> allocationsToFail{0};

bool skipAllocation() {
    if (allocationsToFail <= 0) {
        return false;
    }
    --allocationsToFail;
    return true;
}

// The effect with a render target that asks the test before each allocation.
PF_Err FaultyEntryPoint(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                        PF_LayerDef* output, void* extra) {
    static const Kelvane::Neon::RenderOptions options{false, &skipAllocation};
    return Kelvane::Neon::EntryPointWith(options, cmd, in_data, out_data, params, output, extra);
}

RenderTarget& effectTarget() {
    return Kelvane::Neon::effectGpu()->target;
}

class FrameFaultsGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelvane::Neon::StandIn::resetAll();
        ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
        ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
        host.streams().at(NEON_END_DISTANCE).u.sd.value = 8;
    }
    void TearDown() override {
        allocationsToFail = 0;
        EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
        wglMakeCurrent(nullptr, nullptr);
    }

    Kelvane::Neon::Host::EffectHost host{&FaultyEntryPoint};
};

TEST_F(FrameFaultsGLTest, StorageTheGpuCannotGiveIsOutOfMemoryAndWritesNothing) {
    Kelvane::Neon::Host::World input(24, 16);
    drawSquare(input, 6, 12);
    Kelvane::Neon::Host::World expected(24, 16);
    ASSERT_EQ(host.render(input.world(), expected.world()), PF_Err_NONE);
    Kelvane::Neon::Host::World other(8, 8);
    Kelvane::Neon::Host::World output(24, 16);
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();

    // After a frame of another size the first allocation is the output renderbuffer's; at the
    // same size, the layer's ("Neon And Origin": an "Only Neon" frame draws into the output
    // itself and makes no layer).
    for (const bool resized : {true, false}) {
        SCOPED_TRACE(resized ? "output renderbuffer" : "layer");
        if (resized) {
            ASSERT_EQ(host.render(other.world(), other.world()), PF_Err_NONE);
        } else {
            host.streams().at(NEON_COMPOSITE).u.pd.value = 2;
            ASSERT_EQ(host.render(input.world(), expected.world()), PF_Err_NONE);
        }
        Kelvane::Neon::Host::World failed(24, 16, 4, 0x5A);
        failed.fill(PF_Pixel{1, 2, 3, 4});
        const auto before = failed.bytes();
        host.outData().out_flags = 0;
        allocationsToFail = 1;
        EXPECT_EQ(host.render(input.world(), failed.world()), PF_Err_OUT_OF_MEMORY);
        EXPECT_TRUE(host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
        EXPECT_THAT(host.outData().return_msg,
                    HasSubstr("24 x 16 frame: it is too large for the GPU's memory"));
        EXPECT_EQ(failed.bytes(), before);
        EXPECT_EQ(wglGetCurrentContext(), hostContext.context());

        // The next frame of that size asks for its storage anew.
        ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
        EXPECT_EQ(output.bytes(), expected.bytes());
    }

    // A frame that throws after an allocation failed (the output renderbuffer's, after a frame
    // of another size) leaves its errors pending in the context; they are not the next
    // frame's, and what it could not allocate is asked for anew.
    host.streams().at(NEON_COMPOSITE).u.pd.value = 1;
    ASSERT_EQ(host.render(input.world(), expected.world()), PF_Err_NONE);
    ASSERT_EQ(host.render(other.world(), other.world()), PF_Err_NONE);
    allocationsToFail = 1;
    host.failPixelData(true);
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_BAD_CALLBACK_PARAM);
    host.failPixelData(false);
    EXPECT_EQ(allocationsToFail, 0);
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    EXPECT_EQ(output.bytes(), expected.bytes());
}

TEST_F(FrameFaultsGLTest, AContextThatCannotBeMadeCurrentSaysSo) {
    Kelvane::Neon::Host::World input(8, 8);
    Kelvane::Neon::Host::World output(8, 8, 0, 0x5A);
    ASSERT_EQ(host.render(input.world(), output.world()), PF_Err_NONE);
    output.fill(PF_Pixel{1, 2, 3, 4});
    const auto before = output.bytes();

    Kelvane::Neon::StandIn::failCall("wglMakeCurrent");
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_THAT(host.outData().return_msg, HasSubstr("could not make its OpenGL context current"));
    EXPECT_EQ(output.bytes(), before);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

// Framebuffers belong to one context, but what they hold is shared storage: a resize on one
// thread must not leave the old size alive in another thread's framebuffers.
TEST_F(FrameFaultsGLTest, AResizeLeavesNothingOfTheOldSizeInAnotherThreadsContext) {
    Kelvane::Neon::Host::World small(20, 12);
    drawSquare(small, 4, 9);
    Kelvane::Neon::Host::World large(28, 30);
    drawSquare(large, 10, 20);
    Kelvane::Neon::Host::World smallOut(20, 12);
    Kelvane::Neon::Host::World largeOut(28, 30);

    std::promise<void> secondRendered;
    std::promise<void> firstResized;
    GLuint oldOutput = 0;
    std::thread second([&] {
        Kelvane::Neon::Host::World out(20, 12);
        EXPECT_EQ(host.render(small.world(), out.world()), PF_Err_NONE);
        oldOutput = effectTarget().outputRenderbuffer();
        secondRendered.set_value();
        firstResized.get_future().wait();

        // Looked at, not rendered in.
        ContextRegistry::contextForCurrentThread()->makeCurrent();
        RenderTarget& target = effectTarget();
        EXPECT_EQ(glIsRenderbuffer(oldOutput), GL_FALSE);
        for (GLuint framebuffer : {target.mainFramebuffer(), target.resolveFramebuffer(),
                                   target.multisampleFramebuffer()}) {
            EXPECT_NE(framebuffer, 0u);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            GLint type = -1;
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
            EXPECT_EQ(type, static_cast<GLint>(GL_NONE)) << "framebuffer " << framebuffer;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        wglMakeCurrent(nullptr, nullptr);

        Kelvane::Neon::Host::World again(28, 30);
        EXPECT_EQ(host.render(large.world(), again.world()), PF_Err_NONE);
        EXPECT_EQ(again.bytes(), largeOut.bytes());
    });
    secondRendered.get_future().wait();
    EXPECT_EQ(host.render(small.world(), smallOut.world()), PF_Err_NONE);
    EXPECT_EQ(host.render(large.world(), largeOut.world()), PF_Err_NONE);
    EXPECT_NE(oldOutput, 0u);
    firstResized.set_value();
    second.join();
}

} // namespace
