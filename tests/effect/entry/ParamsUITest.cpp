// Showing and hiding the colour slots and the colour seed through the host's stream flags.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/NeonParams.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

class ParamsUITest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
        host.suites().clearLedger();
    }

    Kelvane::Neon::Host::ParamStreams& streams() { return host.streams(); }
    void setColorCount(int n) { streams().at(NEON_COLOR_COUNT).u.sd.value = n; }
    void setColorType(int t) { streams().at(NEON_COLOR_TYPE).u.pd.value = t; }

    // Hidden state of "Color 1" .. "Color 8".
    std::vector<bool> slotsHidden() {
        std::vector<bool> hidden;
        for (int i = NEON_COLOR_1; i <= NEON_COLOR_8; ++i) {
            hidden.push_back(streams().hidden(i));
        }
        return hidden;
    }

    void expectEverythingGivenBack() {
        EXPECT_TRUE(host.suites().outstanding().empty());
        EXPECT_EQ(host.suites().unmatchedReleases(), 0);
        EXPECT_EQ(streams().openEffects(), 0);
        EXPECT_EQ(streams().openStreams(), 0);
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
};

TEST_F(ParamsUITest, DefaultsShowThreeSlotsAndHideTheSeed) {
    // Every stream starts shown until a handler has run.
    EXPECT_FALSE(streams().hidden(NEON_COLOR_8));
    ASSERT_EQ(host.updateParamsUI(), PF_Err_NONE);
    EXPECT_THAT(slotsHidden(), ElementsAre(false, false, false, true, true, true, true, true));
    EXPECT_TRUE(streams().hidden(NEON_RANDOM_SEED));
    for (const auto& write : streams().flagWrites()) {
        EXPECT_FALSE(write.undoable) << "index " << write.index;
        EXPECT_EQ(write.flag, AEGP_DynStreamFlag_HIDDEN);
    }
    // Nothing outside the Colors group is touched.
    for (int i = 1; i < static_cast<int>(streams().size()); ++i) {
        if (i < NEON_COLOR_1 || i > NEON_RANDOM_SEED) {
            EXPECT_FALSE(streams().hidden(i)) << "index " << i;
        }
    }
    expectEverythingGivenBack();
}

TEST_F(ParamsUITest, SuitesAreTakenInOrderAndGivenBackInReverse) {
    ASSERT_EQ(host.updateParamsUI(), PF_Err_NONE);
    std::vector<std::string> order;
    for (const auto& entry : host.suites().ledger()) {
        order.push_back((entry.acquire ? "+" : "-") + entry.name + " " +
                        std::to_string(entry.version));
    }
    EXPECT_THAT(order, ElementsAre("+PF Param Utils Suite 3", "+AEGP Effect Suite 2",
                                   "+AEGP PF Interface Suite 1", "+AEGP Dynamic Stream Suite 2",
                                   "+AEGP Stream Suite 7", "-AEGP Stream Suite 7",
                                   "-AEGP Dynamic Stream Suite 2", "-AEGP PF Interface Suite 1",
                                   "-AEGP Effect Suite 2", "-PF Param Utils Suite 3"));
}

TEST_F(ParamsUITest, ColorCountShowsThatManySlots) {
    setColorCount(8);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    EXPECT_THAT(slotsHidden(), ElementsAre(false, false, false, false, false, false, false, false));
    setColorCount(1);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    EXPECT_THAT(slotsHidden(), ElementsAre(false, true, true, true, true, true, true, true));
    expectEverythingGivenBack();
}

TEST_F(ParamsUITest, LoweringTheCountWritesOnlyTheFlagsThatChange) {
    setColorCount(5);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    streams().clearRecords();

    setColorCount(2);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    std::vector<PF_ParamIndex> written;
    for (const auto& write : streams().flagWrites()) {
        EXPECT_TRUE(write.set);
        written.push_back(write.index);
    }
    EXPECT_THAT(written, ElementsAre(NEON_COLOR_3, NEON_COLOR_4, NEON_COLOR_5));
    // Every slot is refreshed, changed or not; the seed pass does not run.
    EXPECT_THAT(streams().uiUpdates(),
                ElementsAre(NEON_COLOR_1, NEON_COLOR_2, NEON_COLOR_3, NEON_COLOR_4, NEON_COLOR_5,
                            NEON_COLOR_6, NEON_COLOR_7, NEON_COLOR_8));
}

TEST_F(ParamsUITest, RandomColorTypeShowsTheSeed) {
    setColorType(2);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_TYPE), PF_Err_NONE);
    EXPECT_FALSE(streams().hidden(NEON_RANDOM_SEED));
    EXPECT_THAT(streams().uiUpdates(), ElementsAre(NEON_RANDOM_SEED));
    for (int type : {1, 3}) {
        setColorType(type);
        ASSERT_EQ(host.userChangedParam(NEON_COLOR_TYPE), PF_Err_NONE);
        EXPECT_TRUE(streams().hidden(NEON_RANDOM_SEED)) << "type " << type;
    }
    // The colour slots were left alone throughout.
    EXPECT_THAT(slotsHidden(), ElementsAre(false, false, false, false, false, false, false, false));
}

TEST_F(ParamsUITest, OtherControlsChangeNoVisibilityButStillTidyUp) {
    setColorCount(1);
    setColorType(2);
    for (PF_ParamIndex index : {NEON_HEADER, NEON_STROKE_COUNT, NEON_COLOR_1, NEON_QUALITY}) {
        ASSERT_EQ(host.userChangedParam(index), PF_Err_NONE);
    }
    EXPECT_TRUE(streams().flagWrites().empty());
    EXPECT_TRUE(streams().uiUpdates().empty());
    EXPECT_EQ(host.suites().ledger().size(), 4u * 10u);
    expectEverythingGivenBack();
}

TEST_F(ParamsUITest, HidingASlotKeepsItsColour) {
    PF_Pixel& color = streams().at(NEON_COLOR_3).u.cd.value;
    color = PF_Pixel{255, 1, 2, 3};
    setColorCount(2);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    setColorCount(3);
    ASSERT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_NONE);
    EXPECT_FALSE(streams().hidden(NEON_COLOR_3));
    EXPECT_EQ(color.red, 1);
    EXPECT_EQ(color.blue, 3);
}

TEST_F(ParamsUITest, UnreadableFlagsGetTheWantedStateWritten) {
    streams().failFlagRead(NEON_COLOR_2);
    streams().failFlagRead(NEON_COLOR_7);
    ASSERT_EQ(host.updateParamsUI(), PF_Err_NONE);
    EXPECT_FALSE(streams().hidden(NEON_COLOR_2));
    EXPECT_TRUE(streams().hidden(NEON_COLOR_7));
    bool wroteSlot2 = false;
    for (const auto& write : streams().flagWrites()) {
        wroteSlot2 = wroteSlot2 || (write.index == NEON_COLOR_2 && !write.set);
    }
    EXPECT_TRUE(wroteSlot2) << "an unknown state is written, not assumed";
}

TEST_F(ParamsUITest, ARefusedSuiteGives516AndReleasesWhatWasTaken) {
    for (const char* refused :
         {"PF Param Utils Suite", "AEGP Dynamic Stream Suite", "AEGP Stream Suite"}) {
        SCOPED_TRACE(refused);
        host.suites().refuse(refused);
        EXPECT_EQ(host.updateParamsUI(), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(host.userChangedParam(NEON_COLOR_COUNT), PF_Err_BAD_CALLBACK_PARAM);
        host.suites().allow(refused);
        expectEverythingGivenBack();
        EXPECT_TRUE(streams().flagWrites().empty());
    }
}

} // namespace
