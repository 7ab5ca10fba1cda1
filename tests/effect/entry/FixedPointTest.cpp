#include "effect/controls/FixedPoint.h"
#include "effect/controls/HexColor.h"

#include <gtest/gtest.h>

namespace {

using namespace Kelvane::Neon;

TEST(FixedPointTest, ConvertsWholesAndDoublesTo16Point16) {
    EXPECT_EQ(toFixed(1), 0x10000);
    EXPECT_EQ(toFixed(-3), -0x30000);
    EXPECT_EQ(fixedWhole(0x38000), 3);
    EXPECT_EQ(fixedWhole(-0x18000), -2) << "-1.5 rounds down";
    EXPECT_EQ(fixedToDouble(-0x18000), -1.5);
    EXPECT_EQ(fixedFromDouble(0.1), 6554) << "6553.6 to the nearest";
    EXPECT_EQ(fixedFromDouble(-0.1), -6554);
    EXPECT_EQ(fixedFromDouble(fixedToDouble(0x7FFFFFFF)), 0x7FFFFFFF);
}

TEST(HexColorTest, WritesAndReadsRRGGBB) {
    const PF_Pixel p{255, 0xA0, 0x0B, 0xFF};
    EXPECT_EQ(hexColor(p), "#A00BFF");
    EXPECT_EQ(hexDigits(p, HexCase::Lower), "a00bff");
    const auto back = parseHexColor("#a00BfF");
    ASSERT_TRUE(back);
    EXPECT_EQ(hexColor(*back), "#A00BFF");
    EXPECT_EQ(back->alpha, 255);
    for (const char* bad : {"A00BFF", "#A00BF", "#A00BFF0", "#A00BFG", "#-1-1-1", ""}) {
        EXPECT_FALSE(parseHexColor(bad)) << bad;
    }
}

} // namespace
