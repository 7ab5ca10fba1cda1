// Global set-up and set-down through the headless host: real contexts made and destroyed, and
// the host's own context current again after every command.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/GpuLifetime.h"
#include "standins/aehost/host/HostGLContext.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/RenderTarget.h"
#include "effect/gl/SavedContextGuard.h"
#include "standins/win32/StandInControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

using ::testing::HasSubstr;

class GpuLifetimeGLTest : public ::testing::Test {
protected:
    void SetUp() override { Kelvane::Neon::StandIn::resetAll(); }
    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        Kelvane::Neon::StandIn::resetAll();
    }
};

TEST_F(GpuLifetimeGLTest, SetUpAndSetDownMakeAndDestroyTheRootAroundTheHostContext) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();
    const std::size_t before = Kelvane::Neon::StandIn::liveContextCount();

    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.outData().my_version, 0x00080001u);
    EXPECT_EQ(host.outData().out_flags, 0x8000);
    EXPECT_EQ(host.outData().out_flags2, 0x8);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), before + 1);
    EXPECT_NE(Kelvane::Neon::ContextRegistry::rootContext(), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
    EXPECT_EQ(wglGetCurrentDC(), hostContext.dc());

    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), before);
    EXPECT_EQ(Kelvane::Neon::ContextRegistry::rootContext(), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
}

TEST_F(GpuLifetimeGLTest, HostWithoutAContextHasNoneAfterwards) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
}

TEST_F(GpuLifetimeGLTest, FailedContextIsAnErrorWithAMessageNotACrash) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();
    Kelvane::Neon::StandIn::failCall("wglCreateContext");

    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_INTERNAL_STRUCT_DAMAGED);
    // The flags are stored before the GPU start-up, so the host has them anyway.
    EXPECT_EQ(host.outData().my_version, 0x00080001u);
    EXPECT_EQ(host.outData().out_flags & 0x8000, 0x8000);
    EXPECT_TRUE(host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_THAT(host.outData().return_msg, HasSubstr("OpenGL context"));
    EXPECT_EQ(host.outData().out_flags2, 0x8);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());

    // Set-down without a root releases what exists and makes no GL call into no context.
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
}

TEST_F(GpuLifetimeGLTest, CommandsMayComeFromSeveralThreads) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    std::thread([&] { EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE); }).join();
    std::thread([&] {
        Kelvane::Neon::Host::HostGLContext hostContext;
        hostContext.makeCurrent();
        EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
        EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
        wglMakeCurrent(nullptr, nullptr);
    }).join();
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
    // A set-up after a set-down works again.
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
}

TEST_F(GpuLifetimeGLTest, TheModuleFromDiskMakesRealContextsToo) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    Kelvane::Neon::Host::EffectHost host(module);
    Kelvane::Neon::Host::HostGLContext hostContext;
    hostContext.makeCurrent();
    const std::size_t before = Kelvane::Neon::StandIn::liveContextCount();
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), before + 1);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), before);
    EXPECT_EQ(wglGetCurrentContext(), hostContext.context());
}

// The host takes the flags from the PiPL before loading the module and from global set-up after;
// they must agree where the host reads them. Raw buffers, not the SDK's records: the sizes, the
// offsets and the command numbers are the published ones (Windows x64 and x86-64 Linux agree).
TEST_F(GpuLifetimeGLTest, GlobalSetupWritesThePiPLFlagsAtThePublishedOffsets) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    alignas(8) std::array<unsigned char, 408> inData{};  // PF_InData
    alignas(8) std::array<unsigned char, 408> outData{}; // PF_OutData
    const auto send = [&](PF_Cmd cmd) {
        return module.entryPoint()(cmd, reinterpret_cast<PF_InData*>(inData.data()),
                                   reinterpret_cast<PF_OutData*>(outData.data()), nullptr, nullptr,
                                   nullptr);
    };
    const auto outWord = [&](std::size_t offset) {
        std::uint32_t value;
        std::memcpy(&value, outData.data() + offset, sizeof value);
        return value;
    };
    const Kelvane::Neon::Host::PiPLProperty* version = module.pipl().find("eVER");
    const Kelvane::Neon::Host::PiPLProperty* flags = module.pipl().find("eGLO");
    const Kelvane::Neon::Host::PiPLProperty* flags2 = module.pipl().find("eGL2");
    ASSERT_TRUE(version && flags && flags2);

    ASSERT_EQ(send(1), PF_Err_NONE) << "global set-up: " << outData.data() + 100; // return_msg
    EXPECT_EQ(outWord(0), version->asLong()) << "my_version";
    EXPECT_EQ(outWord(96), flags->asLong()) << "out_flags";
    EXPECT_EQ(outWord(400), flags2->asLong()) << "out_flags2";
    EXPECT_EQ(send(3), PF_Err_NONE) << "global set-down";
}

} // namespace

namespace {

using Kelvane::Neon::ContextRegistry;
using Kelvane::Neon::RenderTarget;

// One empty frame through the effect's render target (made here without a set-up, as a render
// makes it) on this thread's own context.
void drawEmptyFrame() {
    Kelvane::Neon::SavedContextGuard guard;
    ContextRegistry::contextForCurrentThread()->makeCurrent();
    RenderTarget& target = Kelvane::Neon::ensureEffectGpu().target;
    target.resize(9, 7);
    target.begin();
    target.finish(1.0f);
    guard.restore();
}

TEST_F(GpuLifetimeGLTest, SetDownReleasesTheRenderTargetAndASecondSetUpWorksAgain) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    Kelvane::Neon::EffectGpu* first = Kelvane::Neon::effectGpu();
    ASSERT_NE(first, nullptr);
    drawEmptyFrame();
    EXPECT_NE(first->target.outputRenderbuffer(), 0u);

    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::effectGpu(), nullptr);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);

    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    ASSERT_NE(Kelvane::Neon::effectGpu(), nullptr);
    drawEmptyFrame();
    const RenderTarget& target = Kelvane::Neon::effectGpu()->target;
    EXPECT_TRUE(target.layers().empty());
    EXPECT_TRUE(target.hasDownloadPass());
    EXPECT_NE(target.outputRenderbuffer(), 0u);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
}

TEST_F(GpuLifetimeGLTest, SetDownWithoutARootForgetsWhatTheTargetHeld) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    // A render with no root makes an unshared context for its thread.
    drawEmptyFrame();
    ASSERT_EQ(ContextRegistry::rootContext(), nullptr);
    Kelvane::Neon::StandIn::resetCallCounts();
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::effectGpu(), nullptr);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
    // No context was made current to release into: the one call is the deletion's own
    // release of the current context.
    EXPECT_EQ(Kelvane::Neon::StandIn::callCount("wglMakeCurrent"), 1u);
}

TEST_F(GpuLifetimeGLTest, ASetUpAgainWithoutASetDownKeepsTheOneRoot) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    }
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 1u);
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
    EXPECT_EQ(Kelvane::Neon::StandIn::liveWindowCount(), 0u);
}

} // namespace
