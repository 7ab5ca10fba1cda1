// The entry point through the headless host: About, the command table, the error convention.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/ErrorBoundary.h"
#include "effect/gl/AESDK_OpenGL_Fault.h"
#include "effect/ui/DrawbotWrappers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace {

using Kelvane::Neon::runGuarded;

TEST(EntryPointTest, AboutNamesTheEffectAndVersionAndReleasesTheSuite) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    const auto text = host.about();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "Zarvo Neon v1.0\rZarvo Neon");

    const auto ledger = host.suites().ledger();
    ASSERT_EQ(ledger.size(), 2u);
    EXPECT_TRUE(ledger[0].acquire && ledger[0].granted);
    EXPECT_EQ(ledger[0].name, "PF ANSI Suite");
    EXPECT_EQ(ledger[0].version, 1);
    EXPECT_FALSE(ledger[1].acquire);
    EXPECT_EQ(ledger[1].name, "PF ANSI Suite");
    EXPECT_TRUE(host.suites().outstanding().empty());
}

TEST(EntryPointTest, RefusedAnsiSuiteGives516AndLeavesTheMessageAlone) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    host.suites().refuse("PF ANSI Suite");
    std::strcpy(host.outData().return_msg, "left as it was");

    EXPECT_EQ(host.send(PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_STREQ(host.outData().return_msg, "left as it was");
    EXPECT_EQ(host.outData().out_flags, 0);
    // Nothing was handed out, so nothing may be released.
    for (const auto& entry : host.suites().ledger()) {
        EXPECT_TRUE(entry.acquire) << "released " << entry.name;
    }
    EXPECT_EQ(host.suites().unmatchedReleases(), 0);
}

TEST(EntryPointTest, AnInnerHostLeavesTheOuterOneServed) {
    Kelvane::Neon::Host::EffectHost outer(&EntryPointFunc);
    {
        Kelvane::Neon::Host::EffectHost inner(&EntryPointFunc);
        inner.suites().refuse("PF ANSI Suite");
        EXPECT_EQ(inner.send(PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
    }
    EXPECT_EQ(outer.about(), std::string("Zarvo Neon v1.0\rZarvo Neon"));
    EXPECT_TRUE(outer.suites().outstanding().empty());
}

TEST(EntryPointTest, UnlistedCommandsReturnZeroAndTouchNothing) {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    std::vector<PF_Cmd> unlisted = {2, 5, 6, 7, 8, 9, 10, 12};
    for (PF_Cmd cmd = 16; cmd < 64; ++cmd) {
        unlisted.push_back(cmd);
    }
    unlisted.push_back(INT_MAX);
    unlisted.push_back(-1);

    std::memset(&host.outData(), 0xA5, sizeof(PF_OutData));
    PF_OutData before;
    std::memcpy(&before, &host.outData(), sizeof before);
    for (PF_Cmd cmd : unlisted) {
        EXPECT_EQ(host.send(cmd), PF_Err_NONE) << "command " << cmd;
    }
    // dest_snd is the host's: it points it at stand-ins before every command.
    EXPECT_EQ(std::memcmp(&before, &host.outData(), offsetof(PF_OutData, dest_snd)), 0);
    EXPECT_EQ(before.out_flags2, host.outData().out_flags2);
    EXPECT_TRUE(host.suites().ledger().empty());
    EXPECT_EQ(host.addParamCalls(), 0);
    EXPECT_FALSE(host.registeredUI().has_value());
}

TEST(EntryPointTest, EveryThrownIntegerBecomes516WithoutAMessage) {
    for (A_long code : {0, 1, 4, 13, 512, 516, -1, INT_MIN, INT_MAX}) {
        PF_OutData out{};
        std::strcpy(out.return_msg, "unchanged");
        EXPECT_EQ(runGuarded(&out, [code]() -> PF_Err { throw code; }), PF_Err_BAD_CALLBACK_PARAM)
            << "thrown " << code;
        EXPECT_STREQ(out.return_msg, "unchanged");
        EXPECT_EQ(out.out_flags, 0);
    }
}

TEST(EntryPointTest, ReturnedErrorsPassThroughUnchanged) {
    PF_OutData out{};
    EXPECT_EQ(runGuarded(&out, [] { return PF_Err(7); }), 7);
    EXPECT_EQ(runGuarded(&out, [] { return PF_Err_NONE; }), PF_Err_NONE);
}

TEST(EntryPointTest, OtherExceptionsNeverLeaveAndSayWhy) {
    PF_OutData out{};
    EXPECT_EQ(runGuarded(&out, []() -> PF_Err { throw std::bad_alloc(); }), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(out.out_flags, 0);

    EXPECT_EQ(runGuarded(&out, []() -> PF_Err { throw Kelvane::Neon::AESDK_OpenGL_Fault(1); }),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_NE(std::string(out.return_msg).find("OpenGL context"), std::string::npos);
    EXPECT_EQ(std::string(out.return_msg).find('\n'), std::string::npos);

    EXPECT_EQ(runGuarded(&out, []() -> PF_Err { throw Kelvane::Neon::DrawbotError(7); }), 7);

    // Not every failure is the GPU's: the message names what happened.
    PF_OutData other{};
    EXPECT_EQ(runGuarded(&other,
                         []() -> PF_Err {
                             throw std::system_error(
                                 std::make_error_code(std::errc::resource_deadlock_would_occur),
                                 "lock\nheld");
                         }),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(other.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    const std::string message = other.return_msg;
    EXPECT_NE(message.find("internal error: lock held"), std::string::npos) << message;
    EXPECT_EQ(message.find("OpenGL"), std::string::npos) << message;
    // No out_data to write into: still no exception.
    EXPECT_EQ(runGuarded(nullptr, []() -> PF_Err { throw 3.5; }), PF_Err_INTERNAL_STRUCT_DAMAGED);
}

} // namespace
