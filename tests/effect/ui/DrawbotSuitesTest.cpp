// Acquiring and releasing the Drawbot suites as a set, and the owning object wrappers.

#include "tests/effect/ui/UiHost.h"

#include "effect/ui/DrawbotSuites.h"
#include "effect/ui/DrawbotWrappers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ::testing::ElementsAre;

class DrawbotSuitesTest : public ::testing::Test, protected Kelvane::Neon::Test::UiHost {
protected:
    PF_InData* in() { return &host.inData(); }
    PF_OutData* out() { return &host.outData(); }
    std::string message() { return host.outData().return_msg; }
    bool errorShown() { return (host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0; }
};

TEST_F(DrawbotSuitesTest, AcquiresTheFourInOrderAndReleasesThemInTheSameOrder) {
    DrawbotSuites suites;
    ASSERT_EQ(AEFX_AcquireDrawbotSuites(in(), out(), &suites), PF_Err_NONE);
    EXPECT_NE(suites.path_suiteP, nullptr);
    EXPECT_EQ(AEFX_ReleaseDrawbotSuites(in(), out(), &suites), PF_Err_NONE);
    EXPECT_EQ(AEFX_ReleaseDrawbotSuites(in(), out(), &suites), PF_Err_NONE); // nothing left
    EXPECT_THAT(suiteTraffic(), ElementsAre("+DRAWBOT Draw Suite 1", "+DRAWBOT Supplier Suite 1",
                                            "+DRAWBOT Surface Suite 2", "+DRAWBOT Path Suite 1",
                                            "-DRAWBOT Draw Suite 1", "-DRAWBOT Supplier Suite 1",
                                            "-DRAWBOT Surface Suite 2", "-DRAWBOT Path Suite 1"));
    EXPECT_FALSE(errorShown());
    expectNothingHeld();
}

TEST_F(DrawbotSuitesTest, NullRecordIsRefusedWithAMessage) {
    EXPECT_EQ(AEFX_AcquireDrawbotSuites(in(), out(), nullptr), 514);
    EXPECT_TRUE(errorShown());
    EXPECT_EQ(message(), "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
    EXPECT_TRUE(suiteTraffic().empty());
}

TEST_F(DrawbotSuitesTest, MissingSurfaceSuiteStopsTheSetAndOnlyWhatWasHeldGoesBack) {
    host.suites().refuse(kDRAWBOT_SurfaceSuite);
    DrawbotSuites suites;
    const auto* untouched = reinterpret_cast<const DRAWBOT_PathSuite1*>(&suites);
    suites.path_suiteP = untouched;
    EXPECT_EQ(AEFX_AcquireDrawbotSuites(in(), out(), &suites), 516);
    EXPECT_NE(suites.drawbot_suiteP, nullptr);
    EXPECT_NE(suites.supplier_suiteP, nullptr);
    EXPECT_EQ(suites.surface_suiteP, nullptr);
    EXPECT_EQ(suites.path_suiteP, untouched);
    EXPECT_TRUE(errorShown());
    EXPECT_EQ(message(), "Not able to acquire AEFX Suite-DRAWBOT Surface Suite-2");
    EXPECT_EQ(acquisitionsOf(kDRAWBOT_PathSuite), 0);

    suites.path_suiteP = nullptr;
    AEFX_ReleaseDrawbotSuites(in(), out(), &suites);
    expectNothingHeld(); // no release of the refused or the never-asked suite
}

TEST_F(DrawbotSuitesTest, ReleaseWithoutBasicSuiteReportsAndKeepsTheSuitesRecorded) {
    DrawbotSuites suites;
    ASSERT_EQ(AEFX_AcquireDrawbotSuites(in(), out(), &suites), PF_Err_NONE);
    SPBasicSuite* basic = host.inData().pica_basicP;
    host.inData().pica_basicP = nullptr;
    EXPECT_EQ(AEFX_ReleaseDrawbotSuites(in(), out(), &suites), PF_Err_NONE);
    EXPECT_TRUE(errorShown());
    EXPECT_EQ(message(), "Not able to release AEFX Suite.");
    EXPECT_NE(suites.drawbot_suiteP, nullptr);

    host.inData().pica_basicP = basic;
    AEFX_ReleaseDrawbotSuites(in(), out(), &suites);
    expectNothingHeld();
}

TEST_F(DrawbotSuitesTest, AcquireSuiteShowsTheCallersMessageOrNamesTheSuiteWithinBounds) {
    const void* suite = &suite;
    host.suites().refuse(kPFAppSuite);
    EXPECT_EQ(AEFX_AcquireSuite(in(), out(), kPFAppSuite, 6, "No app suite", &suite), 516);
    EXPECT_EQ(suite, nullptr);
    EXPECT_EQ(message(), "No app suite");

    EXPECT_EQ(AEFX_AcquireSuite(in(), out(), kPFAppSuite, 6, nullptr, &suite), 516);
    EXPECT_EQ(message(), "Not able to acquire AEFX Suite-PF AE App Suite-6");

    // Longer texts are cut to the host's message buffer, never written past it.
    const std::string name(2000, 'n');
    EXPECT_EQ(AEFX_AcquireSuite(in(), out(), name.c_str(), 1, nullptr, &suite), 516);
    EXPECT_EQ(message(), ("Not able to acquire AEFX Suite-" + name).substr(0, 255));
    const std::string text(1000, 'm');
    AEFX_AcquireSuite(in(), out(), name.c_str(), 1, text.c_str(), &suite);
    EXPECT_EQ(message(), text.substr(0, 255));

    host.inData().pica_basicP = nullptr;
    EXPECT_EQ(AEFX_AcquireSuite(in(), out(), kPFAppSuite, 6, nullptr, &suite), 516);
    EXPECT_EQ(message(), "Not able to acquire AEFX Suite-PF AE App Suite-6");
}

class DrawbotWrappersTest : public ::testing::Test, protected Kelvane::Neon::Test::UiHost {
protected:
    void SetUp() override {
        ASSERT_EQ(suites.error(), PF_Err_NONE);
        ASSERT_EQ(suites.get().drawbot_suiteP->GetSupplier(drawingReference(), &supplier),
                  A_Err_NONE);
        drawbot.clearCalls();
    }

    Kelvane::Neon::ScopedDrawbotSuites suites{&host.inData(), &host.outData()};
    DRAWBOT_SupplierRef supplier = nullptr;
};

TEST_F(DrawbotWrappersTest, FailedMakeThrowsTheHostsCodeAndHoldsNothing) {
    const DRAWBOT_SupplierSuite1* suite = suites.get().supplier_suiteP;
    drawbot.failCall("NewBrush", 7);
    try {
        Kelvane::Neon::DrawbotBrush brush(suite, supplier, {1, 0, 0, 1});
        FAIL() << "a refused brush was made";
    } catch (const std::exception& e) {
        const auto* failure = dynamic_cast<const Kelvane::Neon::DrawbotError*>(&e);
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(Kelvane::Neon::DrawbotError(*failure).code, 7);
    }
    drawbot.failCall("NewPath", 8);
    drawbot.failCall("NewDefaultFont", 9);
    EXPECT_THROW(Kelvane::Neon::DrawbotPath(suite, supplier), Kelvane::Neon::DrawbotError);
    EXPECT_THROW(Kelvane::Neon::DrawbotFont(suite, supplier, 12.0f), Kelvane::Neon::DrawbotError);
    EXPECT_EQ(drawbot.liveObjects(), 0);
    EXPECT_TRUE(drawbot.callsTo("ReleaseObject").empty());
}

TEST_F(DrawbotWrappersTest, EmptyWrapperMakesNoHostCall) {
    struct Unmade : Kelvane::Neon::DrawbotObject<DRAWBOT_PathRef> {
        explicit Unmade(const DRAWBOT_SupplierSuite1* suite) : DrawbotObject(suite) {}
    };
    { Unmade empty(suites.get().supplier_suiteP); }
    EXPECT_TRUE(drawbot.calls().empty());
}

} // namespace
