#include "ParamsSetup.h"

#include "AE_EffectCB.h"
#include "EffectInfo.h"
#include "NeonParams.h"

#include <cstring>

namespace Kelvane {
namespace Neon {
namespace {

enum class Kind { Header, Popup, Slider, Percent, Color, GroupStart, GroupEnd };

struct Rgb {
    A_u_char red, green, blue;
};

// One row per control, in index order from NEON_HEADER. Ranges of percent sliders are in
// percent and become 16.16 fixed point when declared.
struct Row {
    Kind kind;
    const char* name;
    A_long diskId;
    PF_ParamFlags flags;
    A_long validMin, validMax, sliderMin, sliderMax, dephault;
    const char* choices;
    Rgb color;
};

constexpr Rgb kBlue{25, 25, 255};
constexpr Rgb kRed{255, 25, 25};
constexpr Rgb kGreen{25, 255, 25};
constexpr PF_ParamFlags kHeaderFlags =
    PF_ParamFlag_SUPERVISE | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_CANNOT_TIME_VARY;

// clang-format off
constexpr Row kRows[] = {
    {Kind::Header,     kMakerDomain,       10000, kHeaderFlags,        0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::Popup,      "Neon Type",        1,     0,                   0, 0,     0, 0,   2,   "Inner Neon|Outer Neon", {}},
    {Kind::Slider,     "Stroke Count",     2,     0,                   1, 100,   1, 5,   3,   nullptr, {}},
    {Kind::Slider,     "Start Distance",   3,     0,                   0, 1000,  0, 400, 1,   nullptr, {}},
    {Kind::Slider,     "End Distance",     4,     0,                   1, 1000,  1, 400, 100, nullptr, {}},
    {Kind::Slider,     "Stroke Width",     5,     0,                   4, 400,   4, 100, 10,  nullptr, {}},
    {Kind::GroupStart, "Visibility",       6,     0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::Popup,      "Direction",        7,     0,                   0, 0,     0, 0,   1,   "Inner->Outer|Outer->Inner|Random", {}},
    {Kind::Percent,    "Visibility",       8,     0,                   0, 100,   0, 100, 100, nullptr, {}},
    {Kind::Slider,     "Visibility Seed",  9,     0,                   0, 10000, 0, 100, 0,   nullptr, {}},
    {Kind::GroupEnd,   "",                 10,    0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::GroupStart, "Colors",           11,    0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::Popup,      "Color Type",       12,    PF_ParamFlag_SUPERVISE, 0, 0,  0, 0,   1,   "Loop|Random|Gradient", {}},
    {Kind::Slider,     "Color Count",      13,    PF_ParamFlag_SUPERVISE, 1, 8,  1, 8,   3,   nullptr, {}},
    {Kind::Color,      "Color 1",          14,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Color,      "Color 2",          15,    0,                   0, 0,     0, 0,   0,   nullptr, kRed},
    {Kind::Color,      "Color 3",          16,    0,                   0, 0,     0, 0,   0,   nullptr, kGreen},
    {Kind::Color,      "Color 4",          17,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Color,      "Color 5",          18,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Color,      "Color 6",          19,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Color,      "Color 7",          20,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Color,      "Color 8",          21,    0,                   0, 0,     0, 0,   0,   nullptr, kBlue},
    {Kind::Slider,     "Random Seed",      22,    0,                   0, 10000, 0, 100, 0,   nullptr, {}},
    {Kind::GroupEnd,   "",                 23,    0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::GroupStart, "Glow",             24,    0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::Slider,     "Glow Size",        25,    0,                   1, 300,   1, 100, 50,  nullptr, {}},
    {Kind::Percent,    "Glow Opacity",     26,    0,                   0, 100,   0, 100, 30,  nullptr, {}},
    {Kind::Percent,    "Glow Random",      27,    0,                   0, 100,   0, 100, 0,   nullptr, {}},
    {Kind::Slider,     "Glow Random Seed", 28,    0,                   0, 10000, 0, 100, 0,   nullptr, {}},
    {Kind::GroupEnd,   "",                 29,    0,                   0, 0,     0, 0,   0,   nullptr, {}},
    {Kind::Slider,     "Smooth",           30,    0,                   1, 40,    1, 20,  2,   nullptr, {}},
    {Kind::Popup,      "Composite",        31,    0,                   0, 0,     0, 0,   1,   "Only Neon|Neon And Origin", {}},
    {Kind::Popup,      "Quality",          32,    0,                   0, 0,     0, 0,   4,   "Extreme|High|Medium|Low", {}},
};
// clang-format on
static_assert(sizeof(kRows) / sizeof(kRows[0]) == NEON_NUM_PARAMS - 1, "one row per control");

constexpr PF_Fixed toFixed(A_long whole) {
    return whole << 16;
}

A_short countChoices(const char* choices) {
    A_short count = 1;
    for (const char* c = choices; *c != '\0'; ++c) {
        count += (*c == '|') ? 1 : 0;
    }
    return count;
}

// Fills the definition of one row; `choiceBuffer` receives a popup's choice string, which the
// host reads while the parameter is added.
void describe(const Row& row, PF_InData* in_data, PF_ParamDef& def, char* choiceBuffer) {
    switch (row.kind) {
    case Kind::Header:
        def.param_type = PF_Param_NO_DATA;
        break;
    case Kind::Popup:
        def.param_type = PF_Param_POPUP;
        break;
    case Kind::Slider:
        def.param_type = PF_Param_SLIDER;
        break;
    case Kind::Percent:
        def.param_type = PF_Param_FIX_SLIDER;
        break;
    case Kind::Color:
        def.param_type = PF_Param_COLOR;
        break;
    case Kind::GroupStart:
        def.param_type = PF_Param_GROUP_START;
        break;
    case Kind::GroupEnd:
        def.param_type = PF_Param_GROUP_END;
        break;
    }
    if (row.kind != Kind::GroupEnd) {
        in_data->utils->ansi.strcpy(def.name, row.name);
    }
    def.flags = row.flags;

    switch (row.kind) {
    case Kind::Header:
        def.ui_flags = PF_PUI_CONTROL;
        def.ui_width = 200;
        def.ui_height = 50;
        break;
    case Kind::Popup:
        std::strcpy(choiceBuffer, row.choices);
        def.u.pd.value = row.dephault;
        def.u.pd.num_choices = countChoices(row.choices);
        def.u.pd.dephault = static_cast<A_short>(row.dephault);
        def.u.pd.u.namesptr = choiceBuffer;
        break;
    case Kind::Slider:
        def.u.sd.value_str[0] = '\0';
        def.u.sd.value_desc[0] = '\0';
        def.u.sd.valid_min = row.validMin;
        def.u.sd.valid_max = row.validMax;
        def.u.sd.slider_min = row.sliderMin;
        def.u.sd.slider_max = row.sliderMax;
        def.u.sd.value = def.u.sd.dephault = row.dephault;
        break;
    case Kind::Percent:
        def.u.fd.valid_min = toFixed(row.validMin);
        def.u.fd.valid_max = toFixed(row.validMax);
        def.u.fd.slider_min = toFixed(row.sliderMin);
        def.u.fd.slider_max = toFixed(row.sliderMax);
        def.u.fd.value = def.u.fd.dephault = toFixed(row.dephault);
        def.u.fd.precision = 1;
        def.u.fd.display_flags = PF_ValueDisplayFlag_PERCENT;
        break;
    case Kind::Color:
        def.u.cd.value = PF_Pixel{255, row.color.red, row.color.green, row.color.blue};
        def.u.cd.dephault = def.u.cd.value;
        break;
    case Kind::GroupStart:
    case Kind::GroupEnd:
        break;
    }
    def.uu.id = row.diskId;
}

} // namespace

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
    out_data->num_params = NEON_NUM_PARAMS;

    char choiceBuffer[256];
    for (const Row& row : kRows) {
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        describe(row, in_data, def, choiceBuffer);
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
