// A host for the header strip's tests: the effect host with the Drawbot suites on a 260 x 60
// surface, events for the Effect Controls window and checks that nothing stays held.
#pragma once

#include "standins/aehost/drawbot/DrawbotHost.h"
#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_EffectUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Kelvane::Neon::Test {

constexpr A_long kTitleArea = PF_EA_PARAM_TITLE;
constexpr A_long kControlArea = PF_EA_CONTROL;

inline void setArea(PF_EffectArea& area, A_long code) {
    area = code;
}

class UiHost {
public:
    UiHost() { host.suites().clearLedger(); }

    PF_EventExtra event(PF_EventType type, PF_WindowType window = PF_Window_EFFECT,
                        PF_Rect frame = {0, 0, 200, 50}, A_long area = kControlArea) {
        PF_EventExtra extra{};
        extra.contextH = drawbot.context(window);
        extra.e_type = type;
        setArea(extra.effect_win.area, area);
        extra.effect_win.current_frame = frame;
        return extra;
    }

    // Suites acquired and released, as "+name version" / "-name version", in order.
    std::vector<std::string> suiteTraffic() {
        std::vector<std::string> traffic;
        for (const auto& entry : host.suites().ledger()) {
            traffic.push_back((entry.acquire ? "+" : "-") + entry.name + " " +
                              std::to_string(entry.version));
        }
        return traffic;
    }

    int acquisitionsOf(const std::string& name) {
        int count = 0;
        for (const auto& entry : host.suites().ledger()) {
            count += entry.acquire && entry.name == name ? 1 : 0;
        }
        return count;
    }

    void expectNothingHeld() {
        EXPECT_TRUE(host.suites().outstanding().empty());
        EXPECT_EQ(host.suites().unmatchedReleases(), 0);
        EXPECT_EQ(drawbot.liveObjects(), 0);
    }

    // The drawing reference of the Effect Controls window, as the custom UI suite gives it.
    DRAWBOT_DrawRef drawingReference() {
        SPBasicSuite* basic = host.inData().pica_basicP;
        const void* suite = nullptr;
        DRAWBOT_DrawRef drawing = nullptr;
        if (basic->AcquireSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &suite) ==
            kSPNoError) {
            static_cast<const PF_EffectCustomUISuite1*>(suite)->PF_GetDrawingReference(
                drawbot.context(PF_Window_EFFECT), &drawing);
            basic->ReleaseSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
        }
        return drawing;
    }

    Kelvane::Neon::Host::EffectHost host{&EntryPointFunc};
    Kelvane::Neon::Host::DrawbotHost drawbot{host.suites(), 260, 60};
};

} // namespace Kelvane::Neon::Test
