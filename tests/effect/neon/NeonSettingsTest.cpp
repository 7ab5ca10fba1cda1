// Reading the controls into NeonSettings through the headless host: unit conversion, order of
// reads, what a failed or mistyped read leaves behind, and the flood level count.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/NeonParams.h"
#include "effect/controls/ControlReading.h"
#include "effect/controls/FixedPoint.h"
#include "effect/controls/Reach.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace Kelvane::Neon;

void expectColor(const NeonColor& c, double r, double g, double b, double a) {
    EXPECT_DOUBLE_EQ(c.red, r);
    EXPECT_DOUBLE_EQ(c.green, g);
    EXPECT_DOUBLE_EQ(c.blue, b);
    EXPECT_DOUBLE_EQ(c.alpha, a);
}

void expectSameSettings(const NeonSettings& a, const NeonSettings& b) {
    EXPECT_EQ(a.neonType, b.neonType);
    EXPECT_EQ(a.strokeCount, b.strokeCount);
    EXPECT_DOUBLE_EQ(a.edgeStartDist, b.edgeStartDist);
    EXPECT_DOUBLE_EQ(a.edgeEndDist, b.edgeEndDist);
    EXPECT_DOUBLE_EQ(a.edgeSize, b.edgeSize);
    EXPECT_DOUBLE_EQ(a.smooth, b.smooth);
    EXPECT_EQ(a.visibleDirection, b.visibleDirection);
    EXPECT_DOUBLE_EQ(a.visibleValue, b.visibleValue);
    EXPECT_EQ(a.visibleSeed, b.visibleSeed);
    EXPECT_EQ(a.colorType, b.colorType);
    EXPECT_EQ(a.colorCount, b.colorCount);
    for (int i = 0; i < kMaxColors; ++i) {
        SCOPED_TRACE("colour slot " + std::to_string(i));
        const NeonColor& c = b.strokeColors[i];
        expectColor(a.strokeColors[i], c.red, c.green, c.blue, c.alpha);
    }
    EXPECT_EQ(a.colorSeed, b.colorSeed);
    EXPECT_DOUBLE_EQ(a.glowSize, b.glowSize);
    EXPECT_DOUBLE_EQ(a.glowAlpha, b.glowAlpha);
    EXPECT_DOUBLE_EQ(a.glowRandom, b.glowRandom);
    EXPECT_EQ(a.glowSeed, b.glowSeed);
    EXPECT_EQ(a.composite, b.composite);
    EXPECT_EQ(a.quality, b.quality);
}

class NeonSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.paramsSetup(), PF_Err_NONE); }

    PF_ParamDef& param(int index) { return host.streams().at(index); }
    const NeonSettings& read() {
        readSettings(&host.inData(), settings);
        EXPECT_EQ(host.checkedOut(), 0) << "every checkout is checked in again";
        return settings;
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
    NeonSettings settings = defaultSettings();
};

TEST_F(NeonSettingsTest, ControlDefaultsReadAsTheSettingsBeforeAnyRead) {
    // The declared controls read from nothing, the unread colour slots as they start too.
    NeonSettings declared;
    readSettings(&host.inData(), declared);
    for (int i = 3; i < kMaxColors; ++i) {
        const PF_Pixel& p = param(NEON_COLOR_1 + i).u.cd.dephault;
        declared.strokeColors[i] = {p.red / 255.0, p.green / 255.0, p.blue / 255.0,
                                    p.alpha / 255.0};
    }
    expectSameSettings(defaultSettings(), declared);
    expectSameSettings(read(), defaultSettings());
}

TEST_F(NeonSettingsTest, ReadsEachControlOnceInOrder) {
    read();
    const std::vector<PF_ParamIndex> expected = {
        NEON_TYPE,         NEON_STROKE_COUNT,     NEON_START_DISTANCE, NEON_END_DISTANCE,
        NEON_STROKE_WIDTH, NEON_DIRECTION,        NEON_VISIBILITY,     NEON_VISIBILITY_SEED,
        NEON_COLOR_TYPE,   NEON_COLOR_COUNT,      NEON_COLOR_1,        NEON_COLOR_2,
        NEON_COLOR_3,      NEON_RANDOM_SEED,      NEON_GLOW_SIZE,      NEON_GLOW_OPACITY,
        NEON_GLOW_RANDOM,  NEON_GLOW_RANDOM_SEED, NEON_SMOOTH,         NEON_COMPOSITE,
        NEON_QUALITY};
    EXPECT_EQ(host.checkouts(), expected);
}

TEST_F(NeonSettingsTest, ConvertsUnitsAndOrdersTheDistances) {
    param(NEON_TYPE).u.pd.value = 1;
    param(NEON_START_DISTANCE).u.sd.value = 200;
    param(NEON_END_DISTANCE).u.sd.value = 50;
    param(NEON_VISIBILITY).u.fd.value = fixedFromDouble(45.5);
    param(NEON_GLOW_RANDOM).u.fd.value = fixedFromDouble(0.5);
    param(NEON_GLOW_OPACITY).u.fd.value = fixedFromDouble(100);
    param(NEON_VISIBILITY_SEED).u.sd.value = 10000;
    param(NEON_COLOR_1).u.cd.value = PF_Pixel{51, 255, 0, 102};
    param(NEON_QUALITY).u.pd.value = 1;
    const NeonSettings& s = read();
    EXPECT_EQ(s.neonType, NeonType::Inner);
    EXPECT_DOUBLE_EQ(s.edgeStartDist, 50);
    EXPECT_DOUBLE_EQ(s.edgeEndDist, 200);
    EXPECT_DOUBLE_EQ(s.visibleValue, 0.45) << "the fixed slider's fraction is dropped";
    EXPECT_DOUBLE_EQ(s.glowRandom, 0.0);
    EXPECT_DOUBLE_EQ(s.glowAlpha, 1.0);
    EXPECT_EQ(s.visibleSeed, 10000);
    expectColor(s.strokeColors[0], 1.0, 0.0, 0.4, 0.2);
    EXPECT_EQ(s.quality, Quality::Extreme);
}

TEST_F(NeonSettingsTest, DistancesAreInFramePixelsAtHostDownsampling) {
    host.inData().downsample_x = {1, 2};
    host.inData().downsample_y = {1, 4}; // only the horizontal factor counts
    param(NEON_START_DISTANCE).u.sd.value = 10;
    param(NEON_END_DISTANCE).u.sd.value = 100;
    param(NEON_STROKE_WIDTH).u.sd.value = 9;
    param(NEON_GLOW_SIZE).u.sd.value = 30;
    param(NEON_SMOOTH).u.sd.value = 3;
    const NeonSettings& s = read();
    EXPECT_DOUBLE_EQ(s.edgeStartDist, 5);
    EXPECT_DOUBLE_EQ(s.edgeEndDist, 50);
    EXPECT_DOUBLE_EQ(s.edgeSize, 4.5);
    EXPECT_DOUBLE_EQ(s.glowSize, 15);
    EXPECT_DOUBLE_EQ(s.smooth, 1.5);

    // A zero denominator is taken as no downsampling, not as infinite distances.
    host.inData().downsample_x = {1, 0};
    EXPECT_DOUBLE_EQ(read().edgeEndDist, 100);
}

TEST_F(NeonSettingsTest, ReadsOnlyTheColoursInUseAndClampsTheirCount) {
    for (int i = 0; i < kMaxColors; ++i) {
        param(NEON_COLOR_1 + i).u.cd.value = PF_Pixel{255, 255, 255, A_u_char(i)};
    }
    const NeonSettings before = settings;
    const NeonSettings& s = read();
    EXPECT_EQ(s.colorCount, 3);
    for (int i = 0; i < kMaxColors; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const NeonColor& want = i < 3 ? NeonColor{1, 1, i / 255.0, 1} : before.strokeColors[i];
        expectColor(s.strokeColors[i], want.red, want.green, want.blue, want.alpha);
    }

    // Beyond the eight slots: all eight are read and nothing past them.
    param(NEON_COLOR_COUNT).u.sd.value = 12;
    host.clearCheckouts();
    EXPECT_EQ(read().colorCount, 8);
    expectColor(s.strokeColors[7], 1, 1, 7 / 255.0, 1);
    const auto& seen = host.checkouts();
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(),
                            [](int i) { return i >= NEON_COLOR_1 && i <= NEON_COLOR_8; }),
              8);

    for (int count : {0, -5}) {
        param(NEON_COLOR_COUNT).u.sd.value = count;
        EXPECT_EQ(read().colorCount, 1) << "Color Count " << count;
    }

    // Beyond the stroke table's hundred slots.
    param(NEON_STROKE_COUNT).u.sd.value = 150;
    EXPECT_EQ(read().strokeCount, 100);
}

TEST_F(NeonSettingsTest, AFailedReadKeepsTheFieldsValue) {
    param(NEON_STROKE_COUNT).u.sd.value = 7;
    param(NEON_START_DISTANCE).u.sd.value = 20;
    param(NEON_END_DISTANCE).u.sd.value = 80;
    param(NEON_COLOR_2).u.cd.value = PF_Pixel{255, 0, 0, 0};
    param(NEON_GLOW_OPACITY).u.fd.value = fixedFromDouble(60);
    host.inData().downsample_x = {1, 2};
    read();

    // Changed controls that cannot be checked out leave what the last read stored.
    param(NEON_STROKE_COUNT).u.sd.value = 2;
    param(NEON_START_DISTANCE).u.sd.value = 0;
    param(NEON_END_DISTANCE).u.sd.value = 500;
    param(NEON_COLOR_2).u.cd.value = PF_Pixel{255, 255, 255, 255};
    param(NEON_GLOW_OPACITY).u.fd.value = fixedFromDouble(10);
    param(NEON_QUALITY).u.pd.value = 2;
    for (int index : {NEON_STROKE_COUNT, NEON_END_DISTANCE, NEON_COLOR_2, NEON_GLOW_OPACITY}) {
        host.failCheckout(index);
    }
    const NeonSettings& s = read();
    EXPECT_EQ(s.strokeCount, 7);
    EXPECT_DOUBLE_EQ(s.edgeStartDist, 10) << "one distance failed: neither changes";
    EXPECT_DOUBLE_EQ(s.edgeEndDist, 40);
    expectColor(s.strokeColors[1], 0, 0, 0, 1);
    EXPECT_DOUBLE_EQ(s.glowAlpha, 0.6);
    EXPECT_EQ(s.quality, Quality::High) << "the controls that could be read still are";
}

TEST_F(NeonSettingsTest, PopupsReadAsTheirChoicesAndNothingPastThem) {
    param(NEON_TYPE).u.pd.value = 2;
    param(NEON_DIRECTION).u.pd.value = 3;
    param(NEON_COLOR_TYPE).u.pd.value = 3;
    param(NEON_COMPOSITE).u.pd.value = 2;
    param(NEON_QUALITY).u.pd.value = 3;
    NeonSettings s = read();
    EXPECT_EQ(s.neonType, NeonType::Outer);
    EXPECT_EQ(s.visibleDirection, Direction::Random);
    EXPECT_EQ(s.colorType, ColorType::Gradient);
    EXPECT_EQ(s.composite, Composite::NeonAndOrigin);
    EXPECT_EQ(s.quality, Quality::Medium);

    // A value no choice has keeps what the field held, as an unreadable control does.
    param(NEON_TYPE).u.pd.value = 3;
    param(NEON_DIRECTION).u.pd.value = 0;
    param(NEON_COLOR_TYPE).u.pd.value = -1;
    param(NEON_COMPOSITE).u.pd.value = 5;
    param(NEON_QUALITY).u.pd.value = 1;
    s = read();
    EXPECT_EQ(s.neonType, NeonType::Outer);
    EXPECT_EQ(s.visibleDirection, Direction::Random);
    EXPECT_EQ(s.colorType, ColorType::Gradient);
    EXPECT_EQ(s.composite, Composite::NeonAndOrigin);
    EXPECT_EQ(s.quality, Quality::Extreme) << "the one in range is read";
}

TEST_F(NeonSettingsTest, ReadersAcceptOnlyTheirTypes) {
    const ControlSource in = checkedOut(&host.inData());
    std::int32_t i = 42;
    double d = 4.2;
    NeonColor c{0.5, 0.5, 0.5, 0.5};
    EXPECT_FALSE(readInt(in, NEON_TYPE, &i)) << "a popup is no slider";
    EXPECT_FALSE(readDouble(in, NEON_COLOR_1, &d));
    EXPECT_FALSE(readPercent(in, NEON_TYPE, &d));
    EXPECT_FALSE(readPopup(in, NEON_STROKE_COUNT, &i));
    EXPECT_FALSE(readColor(in, NEON_GLOW_SIZE, &c));
    EXPECT_EQ(i, 42);
    EXPECT_EQ(d, 4.2);
    expectColor(c, 0.5, 0.5, 0.5, 0.5);
    EXPECT_EQ(host.checkedOut(), 0) << "a mistyped control is still checked in";

    host.failCheckout(NEON_STROKE_COUNT);
    EXPECT_FALSE(readInt(in, NEON_STROKE_COUNT, &i));
    EXPECT_EQ(host.checkedOut(), 0) << "nothing checked out, nothing checked in";
}

TEST_F(NeonSettingsTest, SlidersOfEveryKindReadAsNumbers) {
    const ControlSource in = checkedOut(&host.inData());
    PF_ParamDef& p = param(NEON_STROKE_COUNT);
    std::int32_t i = 0;
    double d = 0;

    p.param_type = PF_Param_FIX_SLIDER;
    p.u.fd.value = fixedFromDouble(3.75);
    ASSERT_TRUE(readInt(in, NEON_STROKE_COUNT, &i));
    EXPECT_EQ(i, 3);
    ASSERT_TRUE(readDouble(in, NEON_STROKE_COUNT, &d));
    EXPECT_EQ(d, 3.0);
    p.u.fd.value = fixedFromDouble(-1.5);
    ASSERT_TRUE(readInt(in, NEON_STROKE_COUNT, &i));
    EXPECT_EQ(i, -2) << "shifted right: the integer part below";

    p.param_type = PF_Param_FLOAT_SLIDER;
    p.u.fs_d.value = -2.7;
    ASSERT_TRUE(readInt(in, NEON_STROKE_COUNT, &i));
    EXPECT_EQ(i, -2) << "truncated toward zero";
    ASSERT_TRUE(readDouble(in, NEON_STROKE_COUNT, &d));
    EXPECT_EQ(d, -2.7);
    ASSERT_TRUE(readPercent(in, NEON_STROKE_COUNT, &d));
    EXPECT_DOUBLE_EQ(d, -0.027);
    p.u.fs_d.value = 1e12;
    i = 5;
    EXPECT_FALSE(readInt(in, NEON_STROKE_COUNT, &i)) << "no int holds it";
    EXPECT_EQ(i, 5);
    EXPECT_EQ(host.checkedOut(), 0);
}

// The time arguments reach the host as the frame gives them.
struct TimeProbe {
    static inline A_long time = -1, step = -1;
    static inline A_u_long scale = 0;
    static PF_Err checkout(PF_ProgPtr, PF_ParamIndex, A_long t, A_long s, A_u_long sc,
                           PF_ParamDef* def) {
        time = t, step = s, scale = sc;
        def->param_type = PF_Param_SLIDER;
        def->u.sd.value = 9;
        return PF_Err_NONE;
    }
    static PF_Err checkin(PF_ProgPtr, PF_ParamDef*) { return PF_Err_NONE; }
};

TEST(NeonSettingsReadersTest, CheckOutAtTheFramesTime) {
    PF_InData in{};
    in.inter.checkout_param = &TimeProbe::checkout;
    in.inter.checkin_param = &TimeProbe::checkin;
    in.current_time = 48;
    in.time_step = 2;
    in.time_scale = 24;
    std::int32_t value = 0;
    ASSERT_TRUE(readInt(checkedOut(&in), NEON_STROKE_COUNT, &value));
    EXPECT_EQ(value, 9);
    EXPECT_EQ(TimeProbe::time, 48);
    EXPECT_EQ(TimeProbe::step, 2);
    EXPECT_EQ(TimeProbe::scale, 24u);
}

TEST(NeonSettingsFloodLevelsTest, CoversTheReachOfStrokesAndGlow) {
    EXPECT_EQ(floodLevels(100, 10, 50, 1), 8);     // K 160
    EXPECT_EQ(floodLevels(100, 10, 50, 4), 6);     // K 40
    EXPECT_EQ(floodLevels(1000, 400, 300, 1), 11); // K 1700, beyond 2^10
    EXPECT_EQ(floodLevels(1, 0, 0, 1), 1);
    EXPECT_EQ(floodLevels(64, 0, 0, 1), 6) << "a power of two is enough";
    EXPECT_EQ(floodLevels(64.2, 0, 0, 1), 7) << "the reach rounds up to 65";
    EXPECT_EQ(floodLevels(129, 0, 0, 2), 7) << "65 texels";
    EXPECT_EQ(floodLevels(1024, 0, 0, 1), 10);
    EXPECT_EQ(floodLevels(1025, 0, 0, 1), 11);
    EXPECT_EQ(floodLevels(9000, 0, 0, 1), 11);
}

} // namespace
