#include "effect/entry/ParamsSetup.h"

#include "AE_EffectCB.h"
#include "AE_EffectUI.h"
#include "effect/controls/Controls.h"

#include <cstring>

namespace Kelvane {
namespace Neon {

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
    out_data->num_params = NEON_NUM_PARAMS;

    // A popup's choice names, which the host reads while the parameter is added.
    char choiceBuffer[256];
    for (const Control& c : kControls) {
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        describe(c, def);
        if (c.kind != ControlKind::GroupEnd) {
            in_data->utils->ansi.strcpy(def.name, c.name);
        }
        if (c.kind == ControlKind::Popup) {
            std::strcpy(choiceBuffer, c.choices);
            def.u.pd.u.namesptr = choiceBuffer;
        }
        const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
        if (err != PF_Err_NONE) {
            return err;
        }
    }

    PF_CustomUIInfo ui;
    std::memset(&ui, 0, sizeof ui);
    ui.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
    return in_data->inter.register_ui(in_data->effect_ref, &ui);
}

} // namespace Neon
} // namespace Kelvane
