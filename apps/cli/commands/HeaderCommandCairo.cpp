#include "apps/cli/commands/HeaderCommand.h"

#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/drawbot/DrawbotHost.h"
#include "standins/aehost/host/EffectHost.h"
#include "effect/controls/HexColor.h"

#include <iostream>

namespace Kelvane::Neon::Apps {

int runHeader(const std::string& modulePath, const HeaderOptions& options) {
    const std::optional<PF_Pixel> background = Kelvane::Neon::parseHexColor(options.background);
    if (!background) {
        std::cerr << "zarvo-neon header: --background needs a colour as #RRGGBB\n";
        return 2;
    }
    const Kelvane::Neon::Host::EffectModule module(
        modulePath.empty() ? Kelvane::Neon::Host::EffectModule::findDefault() : modulePath);
    Kelvane::Neon::Host::EffectHost host(module);
    constexpr int kStripHeight = 50;
    Kelvane::Neon::Host::DrawbotHost drawbot(host.suites(), options.width, kStripHeight);
    // The host's panel colour has 16 bits a channel.
    drawbot.setBackground(PF_App_Color{A_u_short(background->red * 257),
                                       A_u_short(background->green * 257),
                                       A_u_short(background->blue * 257)});

    PF_EventExtra event{};
    event.contextH = drawbot.context(PF_Window_EFFECT);
    event.e_type = PF_Event_DRAW;
    event.effect_win.index = 1;
    event.effect_win.area = PF_EA_CONTROL;
    event.effect_win.current_frame = PF_Rect{0, 0, options.width, kStripHeight};
    const PF_Err err = host.send(PF_Cmd_EVENT, nullptr, nullptr, &event);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: drawing the header failed (error " << err << ")\n";
        return 1;
    }
    if (!drawbot.writePng(options.output)) {
        std::cerr << "zarvo-neon: cannot write " << options.output << "\n";
        return 1;
    }
    return 0;
}

} // namespace Kelvane::Neon::Apps
