// Animated parameter streams: the host answers checkout_param at the asked time.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/FixedPoint.h"
#include "effect/controls/NeonParams.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr PF_Fixed kOne = Kelvane::Neon::toFixed(1);

class KeyframesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.paramsSetup(), PF_Err_NONE); }

    // The stream as the effect reads it at time / scale seconds.
    PF_ParamDef checkout(int index, A_long time, A_u_long scale) {
        PF_ParamDef def{};
        PF_InData& in = host.inData();
        EXPECT_EQ(in.inter.checkout_param(in.effect_ref, index, time, 1, scale, &def), PF_Err_NONE);
        in.inter.checkin_param(in.effect_ref, &def);
        return def;
    }
    template <typename Set> Kelvane::Neon::Host::Keyframe key(int index, A_Time time, Set set) {
        Kelvane::Neon::Host::Keyframe k{time, host.streams().at(index)};
        set(k.value.u);
        return k;
    }
    Kelvane::Neon::Host::Keyframe visibility(A_Time time, PF_Fixed value) {
        return key(NEON_VISIBILITY, time, [&](PF_ParamDefUnion& u) { u.fd.value = value; });
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
};

TEST_F(KeyframesTest, LinearForSlidersAndColoursHoldForPopupsAndOutsideTheKeys) {
    auto& streams = host.streams();
    streams.setKeyframes(NEON_VISIBILITY,
                         {visibility({3, 24}, 100 * kOne), visibility({1, 24}, 0)});
    streams.setKeyframes(NEON_STROKE_COUNT,
                         {key(NEON_STROKE_COUNT, {0, 1}, [](auto& u) { u.sd.value = 1; }),
                          key(NEON_STROKE_COUNT, {1, 1}, [](auto& u) { u.sd.value = 4; })});
    streams.setKeyframes(NEON_COLOR_1, {key(NEON_COLOR_1, {0, 1},
                                            [](auto& u) {
                                                u.cd.value = {255, 0x20, 0x40, 0x60};
                                            }),
                                        key(NEON_COLOR_1, {2, 1}, [](auto& u) {
                                            u.cd.value = {255, 0x60, 0x80, 0xA0};
                                        })});
    streams.setKeyframes(NEON_DIRECTION,
                         {key(NEON_DIRECTION, {0, 1}, [](auto& u) { u.pd.value = 1; }),
                          key(NEON_DIRECTION, {2, 1}, [](auto& u) { u.pd.value = 3; })});

    EXPECT_EQ(checkout(NEON_VISIBILITY, 0, 24).u.fd.value, 0) << "before the first key";
    EXPECT_EQ(checkout(NEON_VISIBILITY, 1, 24).u.fd.value, 0);
    EXPECT_EQ(checkout(NEON_VISIBILITY, 3, 48).u.fd.value, 25 * kOne);
    EXPECT_EQ(checkout(NEON_VISIBILITY, 2, 24).u.fd.value, 50 * kOne);
    EXPECT_EQ(checkout(NEON_VISIBILITY, 3, 24).u.fd.value, 100 * kOne);
    EXPECT_EQ(checkout(NEON_VISIBILITY, 240, 24).u.fd.value, 100 * kOne) << "after the last key";
    EXPECT_EQ(checkout(NEON_VISIBILITY, 2, 24).param_type, PF_Param_FIX_SLIDER);

    // 2.5 and 2 1/3 strokes: rounded to the nearest whole stroke, not cut.
    EXPECT_EQ(checkout(NEON_STROKE_COUNT, 1, 2).u.sd.value, 3);
    EXPECT_EQ(checkout(NEON_STROKE_COUNT, 1, 3).u.sd.value, 2);

    const PF_Pixel mid = checkout(NEON_COLOR_1, 1, 1).u.cd.value;
    EXPECT_EQ(mid.red, 0x40);
    EXPECT_EQ(mid.green, 0x60);
    EXPECT_EQ(mid.blue, 0x80);
    EXPECT_EQ(mid.alpha, 255);

    EXPECT_EQ(checkout(NEON_DIRECTION, 1999, 1000).u.pd.value, 1);
    EXPECT_EQ(checkout(NEON_DIRECTION, 2, 1).u.pd.value, 3);
    // A stream without keys keeps its one value.
    EXPECT_EQ(checkout(NEON_GLOW_SIZE, 17, 24).u.sd.value, 50);
}

TEST_F(KeyframesTest, TheSameSecondGivesTheSameValueAtEveryFrameRate) {
    // 0 at 1.001 s, 100 at 3.003 s: NTSC frames 30 and 90.
    host.streams().setKeyframes(
        NEON_VISIBILITY, {visibility({1001, 1000}, 0), visibility({3003, 1000}, 100 * kOne)});
    const PF_Fixed atTwoSeconds = checkout(NEON_VISIBILITY, 2, 1).u.fd.value;
    for (A_u_long scale : {24u, 25u, 30u, 30000u}) {
        EXPECT_EQ(checkout(NEON_VISIBILITY, A_long(2 * scale), scale).u.fd.value, atTwoSeconds)
            << "scale " << scale;
    }
    // Frame 60 at 30000/1001 frames a second lies exactly halfway.
    EXPECT_EQ(checkout(NEON_VISIBILITY, 60 * 1001, 30000).u.fd.value, 50 * kOne);
    EXPECT_EQ(checkout(NEON_VISIBILITY, 90 * 1001, 30000).u.fd.value, 100 * kOne);
}

TEST_F(KeyframesTest, RefusesWhatNoHostWouldKeep) {
    auto& streams = host.streams();
    streams.setKeyframes(NEON_VISIBILITY, {visibility({0, 1}, 0), visibility({1, 1}, 100 * kOne)});
    const auto refused = [&](PF_ParamIndex index, std::vector<Kelvane::Neon::Host::Keyframe> keys) {
        EXPECT_THROW(streams.setKeyframes(index, std::move(keys)), std::invalid_argument);
    };
    refused(NEON_HEADER, {key(NEON_HEADER, {0, 1}, [](auto&) {})});
    refused(NEON_VISIBILITY_GROUP_START, {key(NEON_VISIBILITY_GROUP_START, {0, 1}, [](auto&) {})});
    // 24/24 and 1/1 are one moment.
    refused(NEON_VISIBILITY, {visibility({24, 24}, 0), visibility({1, 1}, 50 * kOne)});
    refused(NEON_VISIBILITY, {visibility({-1, 24}, 0)});
    refused(NEON_VISIBILITY, {visibility({1, 0}, 0)});
    refused(NEON_VISIBILITY, {key(NEON_DIRECTION, {0, 1}, [](auto&) {})});
    // A refused set leaves the keys as they were.
    EXPECT_EQ(checkout(NEON_VISIBILITY, 1, 2).u.fd.value, 50 * kOne);

    PF_ParamDef def{};
    PF_InData& in = host.inData();
    EXPECT_EQ(in.inter.checkout_param(in.effect_ref, NEON_VISIBILITY, 1, 1, 0, &def),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.checkedOut(), 0);
}

// An effect that keeps what the render command hands it.
struct Seen {
    A_long time = -1;
    A_long step = -1;
    A_u_long scale = 0;
    PF_Fixed inParams = -1;
    PF_Fixed checkedOut = -1;
} seen;

PF_Err recordingEffect(PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef* params[], PF_LayerDef*,
                       void*) {
    if (cmd == PF_Cmd_PARAMS_SETUP) {
        PF_ParamDef def{};
        def.param_type = PF_Param_FIX_SLIDER;
        return in->inter.add_param(in->effect_ref, -1, &def);
    }
    if (cmd == PF_Cmd_RENDER) {
        PF_ParamDef def{};
        in->inter.checkout_param(in->effect_ref, 1, in->current_time, in->time_step, in->time_scale,
                                 &def);
        in->inter.checkin_param(in->effect_ref, &def);
        seen = {in->current_time, in->time_step, in->time_scale, params[1]->u.fd.value,
                def.u.fd.value};
    }
    return PF_Err_NONE;
}

TEST(KeyframedRenderTest, ARenderRunsAtItsFramesTime) {
    Kelvane::Neon::Host::EffectHost host(&recordingEffect);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    Kelvane::Neon::Host::Keyframe first{{0, 1}, host.streams().at(1)};
    Kelvane::Neon::Host::Keyframe last = first;
    last.time = {2, 1};
    last.value.u.fd.value = 100 * kOne;
    host.streams().setKeyframes(1, {first, last});
    PF_EffectWorld world{};

    // NTSC frame 30: 1.001 s.
    ASSERT_EQ(host.render(&world, &world, Kelvane::Neon::Host::FrameTime{30030, 1001, 30000}),
              PF_Err_NONE);
    EXPECT_EQ(seen.time, 30030);
    EXPECT_EQ(seen.step, 1001);
    EXPECT_EQ(seen.scale, 30000u);
    EXPECT_EQ(seen.checkedOut, Kelvane::Neon::fixedFromDouble(50.05));
    EXPECT_EQ(seen.inParams, seen.checkedOut) << "the params array stands at the same time";
    EXPECT_THROW(host.render(&world, &world, Kelvane::Neon::Host::FrameTime{0, 1, 0}),
                 std::invalid_argument);
}

} // namespace
