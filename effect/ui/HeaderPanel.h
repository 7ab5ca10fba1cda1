// The header strip at the top of the effect's controls: the host's panel background, the
// maker's mark and web domain in a violet accent, a click that opens the maker's web page and a
// pointing cursor over the strip. All drawing goes through the host's Drawbot suites.
#pragma once

#include "effect/ui/DrawbotSuites.h"

#include "AE_EffectUI.h"
#include "adobesdk/DrawbotSuite.h"

namespace Kelvane {
namespace Neon {

struct HeaderColors {
    DRAWBOT_ColorRGBA background; // the host's panel colour, read once per process
    DRAWBOT_ColorRGBA accent;
};

// Made on first use from "PF AE App Suite" and kept for the life of the process. A refused
// suite throws the integer 13 and leaves nothing made, so the next call tries again.
const HeaderColors& GetHeaderColors(PF_InData* in_data);

// PF_Cmd_EVENT. Acts only on events of the Effect Controls window; params and output are unused.
PF_Err HandleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output, PF_EventExtra* extra);

// Paints the strip into the control area of extra->effect_win.current_frame.
PF_Err DrawHeader(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra);

// One line of text in `colour`, vertically centred in `box`, cut with an ellipsis at its right
// edge. `size` 0 is the host's default font size; `text` ends at a null or after 255 units.
PF_Err DrawHeaderText(DRAWBOT_DrawRef drawing_ref, const DrawbotSuites& suites,
                      const DRAWBOT_ColorRGBA& colour, const PF_Rect& box, float size,
                      const DRAWBOT_UTF16Char* text);

} // namespace Neon
} // namespace Kelvane
