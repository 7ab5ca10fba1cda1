// `--set NAME=VALUE` as the command line applies it to the effect's controls.

#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/Controls.h"
#include "effect/controls/FixedPoint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::HasSubstr;

class ControlValuesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.paramsSetup(), PF_Err_NONE); }
    void set(const std::string& assignment) {
        Kelvane::Neon::Apps::applyControl(assignment, host.declared(), host.streams());
    }
    std::string error(const std::string& assignment) {
        try {
            set(assignment);
        } catch (const Kelvane::Neon::Apps::ControlError& e) {
            return e.what();
        }
        return "";
    }
    PF_ParamDef& at(int index) { return host.streams().at(index); }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
};

TEST_F(ControlValuesTest, EachKindReadsItsValue) {
    set("Stroke Count=7");
    EXPECT_EQ(at(NEON_STROKE_COUNT).u.sd.value, 7);
    set("glow opacity = 45.5%");
    EXPECT_EQ(at(NEON_GLOW_OPACITY).u.fd.value, Kelvane::Neon::fixedFromDouble(45.5));
    set("Neon Type=inner neon");
    EXPECT_EQ(at(NEON_TYPE).u.pd.value, 1);
    set("Quality=2");
    EXPECT_EQ(at(NEON_QUALITY).u.pd.value, 2);
    set("Color 3=#0A0B0C");
    EXPECT_EQ(at(NEON_COLOR_3).u.cd.value.red, 10);
    EXPECT_EQ(at(NEON_COLOR_3).u.cd.value.blue, 12);
    EXPECT_EQ(at(NEON_COLOR_3).u.cd.value.alpha, 255);
    // "Visibility" names a group and a slider: the slider is meant.
    set("Visibility=40");
    EXPECT_EQ(at(NEON_VISIBILITY).u.fd.value, Kelvane::Neon::toFixed(40));
}

TEST_F(ControlValuesTest, EveryDescribedControlIsFoundByItsName) {
    using namespace Kelvane::Neon;
    for (const Control& c : kControls) {
        if (holdsValue(c.kind)) {
            EXPECT_EQ(Kelvane::Neon::Apps::findControl(c.name, host.declared()), c.index) << c.name;
        }
    }
}

TEST_F(ControlValuesTest, BadValuesAreRefusedWithAReason) {
    EXPECT_THAT(error("Stroke Count=101"), HasSubstr("between 1 and 100"));
    EXPECT_THAT(error("Stroke Count=2.5"), HasSubstr("whole number"));
    EXPECT_THAT(error("Glow Size=big"), HasSubstr("needs a number"));
    EXPECT_THAT(error("Neon Type=Sideways"), HasSubstr("Inner Neon, Outer Neon"));
    // Numbers are taken too, and the message says so.
    EXPECT_THAT(error("Quality=0"), HasSubstr("Medium, Low, or its number 1 to 4"));
    EXPECT_THAT(error("Color 1=red"), HasSubstr("#RRGGBB"));
    EXPECT_THAT(error("Colors=3"), HasSubstr("no control is named"));
    EXPECT_THAT(error("Stroke Count"), HasSubstr("NAME=VALUE"));
    // A refused value changes nothing.
    EXPECT_EQ(at(NEON_STROKE_COUNT).u.sd.value, 3);
}

TEST_F(ControlValuesTest, OnlySixHexDigitsAndPlainDecimalsAreTaken) {
    for (const char* colour :
         {"#-10000", "# 1 2 3", "#+1+2+3", "#0x1234", "#12345", "#1234567", "#12345G", "123456"}) {
        EXPECT_THAT(error(std::string("Color 1=") + colour), HasSubstr("#RRGGBB")) << colour;
    }
    for (const char* number : {"0x10", "1e1", "inf", "nan", "--5", "5.5.5", ".", "+", "5 5"}) {
        EXPECT_THAT(error(std::string("Stroke Count=") + number), HasSubstr("needs a number"))
            << number;
        EXPECT_THAT(error(std::string("Glow Opacity=") + number + "%"), HasSubstr("needs a number"))
            << number;
    }
    EXPECT_EQ(at(NEON_STROKE_COUNT).u.sd.value, 3);
    set("Color 1=#a0B1c2");
    EXPECT_EQ(at(NEON_COLOR_1).u.cd.value.red, 0xA0);
    EXPECT_EQ(at(NEON_COLOR_1).u.cd.value.green, 0xB1);
    EXPECT_EQ(at(NEON_COLOR_1).u.cd.value.blue, 0xC2);
    set("Glow Opacity=.5");
    EXPECT_EQ(at(NEON_GLOW_OPACITY).u.fd.value, Kelvane::Neon::fixedFromDouble(0.5));

    // The value as written, not rounded to six digits.
    EXPECT_THAT(error("Visibility=100.0001"), HasSubstr("and 100%, not 100.0001"));
    EXPECT_THAT(error("Stroke Count=+1000000"), HasSubstr("and 100, not +1000000"));
}

} // namespace
