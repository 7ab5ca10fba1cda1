// The controls the effect declares, as the host receives them through add_param.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/Controls.h"
#include "effect/controls/FixedPoint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Expected {
    int index;
    PF_ParamType type;
    const char* name;
    A_long id;
    A_long validMin, validMax, sliderMin, sliderMax, dflt; // sliders: whole values; popups: dflt
    const char* choices;
    A_u_char r, g, b;
};

constexpr PF_ParamType S = PF_Param_SLIDER, F = PF_Param_FIX_SLIDER, P = PF_Param_POPUP,
                       C = PF_Param_COLOR, GS = PF_Param_GROUP_START, GE = PF_Param_GROUP_END;

// clang-format off
const Expected kTable[] = {
    {2, P, "Neon Type", 1, 0, 0, 0, 0, 2, "Inner Neon|Outer Neon", 0, 0, 0},
    {3, S, "Stroke Count", 2, 1, 100, 1, 5, 3, nullptr, 0, 0, 0},
    {4, S, "Start Distance", 3, 0, 1000, 0, 400, 1, nullptr, 0, 0, 0},
    {5, S, "End Distance", 4, 1, 1000, 1, 400, 100, nullptr, 0, 0, 0},
    {6, S, "Stroke Width", 5, 4, 400, 4, 100, 10, nullptr, 0, 0, 0},
    {7, GS, "Visibility", 6, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {8, P, "Direction", 7, 0, 0, 0, 0, 1, "Inner->Outer|Outer->Inner|Random", 0, 0, 0},
    {9, F, "Visibility", 8, 0, 100, 0, 100, 100, nullptr, 0, 0, 0},
    {10, S, "Visibility Seed", 9, 0, 10000, 0, 100, 0, nullptr, 0, 0, 0},
    {11, GE, "", 10, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {12, GS, "Colors", 11, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {13, P, "Color Type", 12, 0, 0, 0, 0, 1, "Loop|Random|Gradient", 0, 0, 0},
    {14, S, "Color Count", 13, 1, 8, 1, 8, 3, nullptr, 0, 0, 0},
    {15, C, "Color 1", 14, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {16, C, "Color 2", 15, 0, 0, 0, 0, 0, nullptr, 255, 25, 25},
    {17, C, "Color 3", 16, 0, 0, 0, 0, 0, nullptr, 25, 255, 25},
    {18, C, "Color 4", 17, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {19, C, "Color 5", 18, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {20, C, "Color 6", 19, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {21, C, "Color 7", 20, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {22, C, "Color 8", 21, 0, 0, 0, 0, 0, nullptr, 25, 25, 255},
    {23, S, "Random Seed", 22, 0, 10000, 0, 100, 0, nullptr, 0, 0, 0},
    {24, GE, "", 23, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {25, GS, "Glow", 24, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {26, S, "Glow Size", 25, 1, 300, 1, 100, 50, nullptr, 0, 0, 0},
    {27, F, "Glow Opacity", 26, 0, 100, 0, 100, 30, nullptr, 0, 0, 0},
    {28, F, "Glow Random", 27, 0, 100, 0, 100, 0, nullptr, 0, 0, 0},
    {29, S, "Glow Random Seed", 28, 0, 10000, 0, 100, 0, nullptr, 0, 0, 0},
    {30, GE, "", 29, 0, 0, 0, 0, 0, nullptr, 0, 0, 0},
    {31, S, "Smooth", 30, 1, 40, 1, 20, 2, nullptr, 0, 0, 0},
    {32, P, "Composite", 31, 0, 0, 0, 0, 1, "Only Neon|Neon And Origin", 0, 0, 0},
    {33, P, "Quality", 32, 0, 0, 0, 0, 4, "Extreme|High|Medium|Low", 0, 0, 0},
};
// clang-format on

class ParamsSetupTest : public ::testing::Test {
protected:
    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
};

TEST_F(ParamsSetupTest, DeclaresThirtyThreeControlsAndRegistersForEvents) {
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.outData().num_params, 34);
    ASSERT_EQ(host.declared().size(), 33u);

    ASSERT_TRUE(host.registeredUI().has_value());
    PF_CustomUIInfo expected;
    std::memset(&expected, 0, sizeof expected);
    expected.events = 7;
    EXPECT_EQ(std::memcmp(&*host.registeredUI(), &expected, sizeof expected), 0);
    EXPECT_TRUE(host.suites().ledger().empty());
}

TEST_F(ParamsSetupTest, HeaderIsACustomDrawnStripNamedAfterTheDomain) {
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    const PF_ParamDef& h = host.declared()[NEON_HEADER - 1].def;
    EXPECT_EQ(h.param_type, PF_Param_NO_DATA);
    EXPECT_STREQ(h.name, "zarvo.test");
    EXPECT_EQ(h.uu.id, 10000);
    EXPECT_EQ(h.ui_flags, PF_PUI_CONTROL);
    EXPECT_EQ(h.ui_width, 200);
    EXPECT_EQ(h.ui_height, 50);
    EXPECT_EQ(h.flags, 0x46);
}

// The parameter declared at `e.index` is `e`, with `flags`.
void expectDeclared(const Kelvane::Neon::Host::EffectHost& host, const Expected& e,
                    PF_ParamFlags flags) {
    SCOPED_TRACE(std::string("index ") + std::to_string(e.index) + " " + e.name);
    const Kelvane::Neon::Host::DeclaredParam& p = host.declared().at(e.index - 1);
    const PF_ParamDef& d = p.def;
    EXPECT_EQ(d.param_type, e.type);
    EXPECT_STREQ(d.name, e.name);
    EXPECT_EQ(d.uu.id, e.id);
    EXPECT_EQ(d.ui_flags, 0);
    EXPECT_EQ(d.ui_width, 0);
    EXPECT_EQ(d.flags, flags);
    switch (e.type) {
    case PF_Param_SLIDER:
        EXPECT_EQ(d.u.sd.valid_min, e.validMin);
        EXPECT_EQ(d.u.sd.valid_max, e.validMax);
        EXPECT_EQ(d.u.sd.slider_min, e.sliderMin);
        EXPECT_EQ(d.u.sd.slider_max, e.sliderMax);
        EXPECT_EQ(d.u.sd.dephault, e.dflt);
        EXPECT_EQ(d.u.sd.value, e.dflt);
        EXPECT_STREQ(d.u.sd.value_str, "");
        EXPECT_STREQ(d.u.sd.value_desc, "");
        break;
    case PF_Param_FIX_SLIDER:
        EXPECT_EQ(d.u.fd.valid_min, Kelvane::Neon::toFixed(e.validMin));
        EXPECT_EQ(d.u.fd.valid_max, Kelvane::Neon::toFixed(e.validMax));
        EXPECT_EQ(d.u.fd.slider_min, Kelvane::Neon::toFixed(e.sliderMin));
        EXPECT_EQ(d.u.fd.slider_max, Kelvane::Neon::toFixed(e.sliderMax));
        EXPECT_EQ(d.u.fd.dephault, Kelvane::Neon::toFixed(e.dflt));
        EXPECT_EQ(d.u.fd.value, Kelvane::Neon::toFixed(e.dflt));
        EXPECT_EQ(d.u.fd.precision, 1);
        EXPECT_EQ(d.u.fd.display_flags & 1, 1);
        break;
    case PF_Param_POPUP: {
        EXPECT_EQ(p.choices, e.choices);
        int bars = 0;
        for (const char* c = e.choices; *c; ++c) {
            bars += *c == '|';
        }
        EXPECT_EQ(d.u.pd.num_choices, bars + 1);
        EXPECT_EQ(d.u.pd.dephault, e.dflt);
        EXPECT_EQ(d.u.pd.value, e.dflt);
        break;
    }
    case PF_Param_COLOR:
        EXPECT_EQ(d.u.cd.value.alpha, 255);
        EXPECT_EQ(d.u.cd.value.red, e.r);
        EXPECT_EQ(d.u.cd.value.green, e.g);
        EXPECT_EQ(d.u.cd.value.blue, e.b);
        EXPECT_EQ(std::memcmp(&d.u.cd.value, &d.u.cd.dephault, sizeof(PF_Pixel)), 0);
        break;
    default: {
        // Groups carry no value: the whole union stays zero.
        PF_ParamDefUnion zero;
        std::memset(&zero, 0, sizeof zero);
        EXPECT_EQ(std::memcmp(&d.u, &zero, sizeof zero), 0);
    }
    }
}

TEST_F(ParamsSetupTest, EveryControlMatchesTheTable) {
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    for (const Expected& e : kTable) {
        const bool supervised = e.index == NEON_COLOR_TYPE || e.index == NEON_COLOR_COUNT;
        expectDeclared(host, e, supervised ? PF_ParamFlag_SUPERVISE : 0);
    }
}

// The same checks with each row taken from the controls' description (the header strip has its
// own test above).
TEST_F(ParamsSetupTest, EveryControlMatchesItsDescription) {
    using namespace Kelvane::Neon;
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    ASSERT_EQ(host.declared().size(), std::size(kControls));
    for (const Control& c : kControls) {
        if (c.kind != ControlKind::Header) {
            const ControlRange& r = c.range;
            expectDeclared(host,
                           {c.index, paramType(c.kind), c.name, c.diskId, r.validMin, r.validMax,
                            r.sliderMin, r.sliderMax, c.dephault, c.choices, c.color.red,
                            c.color.green, c.color.blue},
                           c.flags);
        }
    }
}

TEST_F(ParamsSetupTest, FailingAddParamStopsAtThatRow) {
    for (int row : {1, 2, 9, 17, 33}) {
        SCOPED_TRACE(row);
        Kelvane::Neon::Host::EffectHost failing(&EntryPointFunc);
        failing.failAddParamAt(row, PF_Err_OUT_OF_MEMORY);
        EXPECT_EQ(failing.send(PF_Cmd_PARAMS_SETUP), PF_Err_OUT_OF_MEMORY);
        EXPECT_EQ(failing.outData().num_params, 34);
        EXPECT_EQ(failing.declared().size(), std::size_t(row - 1));
        EXPECT_EQ(failing.addParamCalls(), row);
        EXPECT_FALSE(failing.registeredUI().has_value());
    }
}

TEST_F(ParamsSetupTest, AnyAddParamErrorCodeIsPassedOn) {
    host.failAddParamAt(5, 1234);
    EXPECT_EQ(host.send(PF_Cmd_PARAMS_SETUP), 1234);
}

// Every reader of a popup's text splits it here; the host counts one choice more than bars.
TEST(ChoiceTextTest, SplitsAtEveryBar) {
    using Kelvane::Neon::choiceName;
    using Kelvane::Neon::choiceNames;
    using Names = std::vector<std::string>;
    EXPECT_EQ(choiceNames("Inner->Outer|Outer->Inner|Random"),
              (Names{"Inner->Outer", "Outer->Inner", "Random"}));
    EXPECT_EQ(choiceNames("A||B|"), (Names{"A", "", "B", ""}));
    EXPECT_EQ(choiceNames("Alone"), Names{"Alone"});
    EXPECT_TRUE(choiceNames("").empty());
    EXPECT_EQ(choiceName("A|B", 1), "B");
    EXPECT_EQ(choiceName("A|B", 2), "") << "past the last";
    EXPECT_EQ(choiceName("A|B", -1), "");
}

} // namespace
