// The controls as `zarvo-neon params` lists them.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "apps/cli/commands/ParamListing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::string> listingLines() {
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    EXPECT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    std::istringstream in(Kelvane::Neon::Apps::paramListing(host.declared()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ParamListingTest, ListsEveryVisibleRowIndentedUnderItsGroup) {
    const auto lines = listingLines();
    // 33 controls less the three group ends, which the panel does not show.
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_THAT(lines[0], StartsWith("zarvo.test "));
    EXPECT_THAT(lines[0], HasSubstr("200 x 50"));
    EXPECT_THAT(lines[1], StartsWith("Neon Type "));
    EXPECT_THAT(lines[1], HasSubstr("choices Inner Neon | Outer Neon, default Outer Neon"));
    EXPECT_THAT(lines[2], HasSubstr("valid 1 to 100, slider 1 to 5, default 3"));
    EXPECT_THAT(lines[6], StartsWith("Visibility "));
    EXPECT_THAT(lines[6], HasSubstr("group"));
    EXPECT_THAT(lines[7], StartsWith("  Direction "));
    EXPECT_THAT(lines[8], StartsWith("  Visibility "));
    EXPECT_THAT(lines[8], HasSubstr("valid 0% to 100%, slider 0% to 100%, default 100%"));
    EXPECT_THAT(lines[10], StartsWith("Colors "));
    EXPECT_THAT(lines[13], StartsWith("  Color 1 "));
    EXPECT_THAT(lines[13], HasSubstr("#1919FF"));
    EXPECT_THAT(lines[14], HasSubstr("#FF1919"));
    EXPECT_THAT(lines[22], StartsWith("Glow "));
    EXPECT_THAT(lines[24], HasSubstr("default 30%"));
    EXPECT_THAT(lines[27], StartsWith("Smooth "));
    EXPECT_THAT(lines[29], StartsWith("Quality "));
    EXPECT_THAT(lines[29], HasSubstr("choices Extreme | High | Medium | Low, default Low"));
}

TEST(ParamListingTest, AboutShowsTheCarriageReturnAsALineBreak) {
    EXPECT_EQ(Kelvane::Neon::Apps::aboutText("Zarvo Neon v1.0\rZarvo Neon"),
              "Zarvo Neon v1.0\nZarvo Neon\n");
}

} // namespace
