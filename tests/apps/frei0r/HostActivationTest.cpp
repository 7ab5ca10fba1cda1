// Several effect instances in one process (the frei0r filter's case): the host's callbacks
// must reach the host that sent the command, not merely the one made last.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"

#include <gtest/gtest.h>

namespace {

TEST(HostActivationTest, CallbacksReachTheActivatedHostUntilTheScopeEnds) {
    Kelvane::Neon::Host::EffectHost older(&EntryPointFunc);
    Kelvane::Neon::Host::EffectHost newer(&EntryPointFunc);
    // A suite refused by the newer host must not fail the older one's command.
    newer.suites().refuse(kPFANSISuite);
    {
        Kelvane::Neon::Host::EffectHost::Activation active(older);
        EXPECT_TRUE(older.about().has_value());
        // A host made inside the scope is the newest; the older one stays active.
        Kelvane::Neon::Host::EffectHost inner(&EntryPointFunc);
        Kelvane::Neon::Host::EffectHost::Activation again(older);
        EXPECT_TRUE(older.about().has_value());
        EXPECT_TRUE(inner.suites().ledger().empty());
    }
    EXPECT_EQ(older.suites().ledger().size(), 4u); // two acquires, two releases
    EXPECT_TRUE(older.suites().outstanding().empty());
    EXPECT_EQ(older.suites().unmatchedReleases(), 0);
    EXPECT_TRUE(newer.suites().ledger().empty());

    // Out of the scope the newest host is active again.
    EXPECT_FALSE(older.about().has_value());
    EXPECT_FALSE(newer.suites().ledger().empty());
}

} // namespace
