// The built module, loaded from disk, under a host laid out by the published records and strict
// where a layout fault would otherwise pass unseen: stand-ins in every slot the effect is not
// meant to call, sound worlds that point at stand-ins, guard zones after the records it is
// handed. ZARVO_STRICT_MODULE names another module file to run the same checks on.

#include "standins/aehost/drawbot/DrawbotHost.h"
#include "standins/aehost/host/EffectHost.h"
#include "standins/aehost/loader/EffectModule.h"
#include "standins/aehost/host/GuardedRecord.h"
#include "standins/aehost/host/Traps.h"
#include "standins/aehost/host/World.h"

#include "AE_EffectUI.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string modulePath() {
    const char* other = std::getenv("ZARVO_STRICT_MODULE");
    return other != nullptr && *other != '\0' ? other : ZARVO_MODULE_PATH;
}

std::string faultsOf(const Kelvane::Neon::Host::EffectHost& host) {
    std::string text;
    for (const std::string& fault : host.faults()) {
        text += fault + "\n";
    }
    return text;
}

class StrictHostGLTest : public ::testing::Test {
protected:
    StrictHostGLTest() : module(modulePath()), host(module) {}

    PF_ParamIndex indexOf(const std::string& name) const {
        for (std::size_t i = 0; i < host.declared().size(); ++i) {
            if (name == host.declared()[i].def.name) {
                return PF_ParamIndex(i + 1);
            }
        }
        ADD_FAILURE() << "no control named " << name;
        return 0;
    }

    Kelvane::Neon::Host::EffectModule module;
    Kelvane::Neon::Host::EffectHost host;
};

// PF_InData.pica_basicP sits at byte 384, after a 32-byte sound world; a module that reads it
// at 360 takes a pointer out of src_snd and calls a stand-in.
TEST_F(StrictHostGLTest, AboutReachesTheBasicSuiteAtItsPublishedPlace) {
    EXPECT_EQ(host.about(), std::string("Zarvo Neon v1.0\rZarvo Neon")) << faultsOf(host);
    EXPECT_THAT(host.faults(), IsEmpty());
}

// out_flags2 at byte 400: written at 376 it would land in dest_snd and the host would read 0.
TEST_F(StrictHostGLTest, GlobalSetupFlagsLandWhereTheHostReadsThem) {
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE) << faultsOf(host);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&host.outData());
    A_long flags2 = 0;
    std::memcpy(&flags2, bytes + 400, sizeof flags2);
    EXPECT_EQ(flags2, PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG);
    EXPECT_EQ(host.outData().out_flags, PF_OutFlag_CUSTOM_UI);
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE) << faultsOf(host);
}

// A render takes the layer's pixels through get_pixel_data8 (byte 528 of the callbacks);
// the slot 56 bytes earlier is subpixel_sample16, a stand-in here.
TEST_F(StrictHostGLTest, RenderTakesPixelsThroughGetPixelData8) {
    ASSERT_EQ(host.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE) << faultsOf(host);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE) << faultsOf(host);
    Kelvane::Neon::Host::World input(48, 32), output(48, 32);
    for (int y = 8; y < 24; ++y) {
        for (int x = 12; x < 36; ++x) {
            input.at(x, y) = PF_Pixel{255, 255, 255, 255};
        }
    }
    EXPECT_EQ(host.render(input.world(), output.world()), PF_Err_NONE) << faultsOf(host);
    EXPECT_THAT(host.faults(), IsEmpty());
    int lit = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x) {
            lit += output.at(x, y).alpha != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(host.send(PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE) << faultsOf(host);
}

// The Dynamic Stream suite's flag functions sit at bytes 32 and 40; at 40 and 48 the module
// would set flags through the getter's slot and call a slot past the named functions.
TEST_F(StrictHostGLTest, ColourCountHidesTheSlotsItDoesNotUse) {
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE) << faultsOf(host);
    const PF_ParamIndex count = indexOf("Color Count");
    host.streams().at(count).u.sd.value = 2;
    ASSERT_EQ(host.userChangedParam(count), PF_Err_NONE) << faultsOf(host);
    EXPECT_THAT(host.faults(), IsEmpty());
    EXPECT_FALSE(host.streams().hidden(indexOf("Color 2")));
    EXPECT_TRUE(host.streams().hidden(indexOf("Color 3")));
    EXPECT_TRUE(host.streams().hidden(indexOf("Color 8")));
    EXPECT_EQ(host.streams().openStreams(), 0);
}

// The header strip: registered for the Effect Controls window (events at byte 4 of a 44-byte
// record), drawn with Bezier points passed by address and the domain cut with an ellipsis
// (truncation 2), and the event claimed at byte 204 of the 208-byte event record.
TEST_F(StrictHostGLTest, HeaderStripRegistersDrawsAndClaimsItsEvents) {
    Kelvane::Neon::Host::DrawbotHost drawbot(host.suites(), 260, 60);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE) << faultsOf(host);
    ASSERT_TRUE(host.registeredUI().has_value());
    EXPECT_TRUE(host.registeredUI()->events & PF_CustomEFlag_EFFECT);

    PF_EventExtra draw{};
    draw.contextH = drawbot.context(PF_Window_EFFECT);
    draw.e_type = PF_Event_DRAW;
    draw.effect_win.area = PF_EA_CONTROL;
    draw.effect_win.current_frame = {0, 0, 200, 50};
    ASSERT_EQ(host.send(PF_Cmd_EVENT, nullptr, nullptr, &draw), PF_Err_NONE) << faultsOf(host);
    EXPECT_THAT(host.faults(), IsEmpty());
    A_long claimed = 0;
    std::memcpy(&claimed, reinterpret_cast<const unsigned char*>(&draw) + 204, sizeof claimed);
    EXPECT_TRUE(claimed & PF_EO_HANDLED_EVENT);

    const auto curves = drawbot.callsTo("BezierTo");
    ASSERT_FALSE(curves.empty());
    for (const auto& call : curves) {
        ASSERT_EQ(call.args.size(), 4u);
        for (std::size_t i = 1; i < 4; ++i) {
            const std::size_t comma = call.args[i].find(',');
            ASSERT_NE(comma, std::string::npos) << call.args[i];
            const double x = std::stod(call.args[i]), y = std::stod(call.args[i].substr(comma + 1));
            EXPECT_TRUE(x >= 0 && x <= 200 && y >= 0 && y <= 50) << call.args[i];
        }
    }
    const auto text = drawbot.callsTo("DrawString");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].args.at(6), std::to_string(kDRAWBOT_TextTruncation_EndEllipsis));
}

// The host's own strictness, without a faulty module at hand: a pointer read from inside the
// sound world (where pica_basicP sat in a shorter PF_InData) leads to stand-ins that name it,
// and a byte written past a record shows in its guard zone.
TEST(StrictHostTest, MisplacedReadsAndWritesAreNamed) {
    Kelvane::Neon::Host::EffectHost host(static_cast<PF_FilterProc>(nullptr));
    SPBasicSuite* misread = nullptr;
    std::memcpy(&misread, reinterpret_cast<const unsigned char*>(&host.inData()) + 360,
                sizeof misread);
    const void* suite = nullptr;
    EXPECT_NE(misread->AcquireSuite("PF ANSI Suite", 1, &suite), kSPNoError);
    const auto called = Kelvane::Neon::Host::Traps::take();
    ASSERT_EQ(called.size(), 1u);
    EXPECT_THAT(called[0], HasSubstr("PF_InData.src_snd"));

    Kelvane::Neon::Host::GuardedRecord<PF_EventExtra> event(PF_EventExtra{});
    EXPECT_EQ(event.firstWritePast(), 0u);
    reinterpret_cast<unsigned char*>(&event.record)[212] = 1;
    EXPECT_EQ(event.firstWritePast(), 212u);
}

} // namespace
