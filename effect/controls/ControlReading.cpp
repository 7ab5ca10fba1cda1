#include "effect/controls/ControlReading.h"

#include "effect/controls/Controls.h"
#include "effect/controls/FixedPoint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Kelvane {
namespace Neon {
namespace {

// The slider types as a double: integer slider, fixed slider's integer part, float slider.
bool sliderValue(const PF_ParamDef& def, double* value) {
    switch (def.param_type) {
    case PF_Param_SLIDER:
        *value = def.u.sd.value;
        return true;
    case PF_Param_FIX_SLIDER:
        *value = fixedWhole(def.u.fd.value);
        return true;
    case PF_Param_FLOAT_SLIDER:
        *value = def.u.fs_d.value;
        return true;
    default:
        return false;
    }
}

// A popup's value past its choices is not one of them: stored as it is, it would draw with
// whatever the passes make of a number they do not expect.
template <typename Choice>
bool readChoice(const ControlSource& controls, int index, Choice* choice) {
    std::int32_t position = 0;
    if (!readPopup(controls, index, &position) || position < 0 ||
        position >= choiceCount(control(index))) {
        return false;
    }
    *choice = static_cast<Choice>(position);
    return true;
}

} // namespace

ControlSource checkedOut(PF_InData* in_data) {
    // Checked out at the frame's time, so animated values are read where the frame is. A
    // failed checkout stores nothing and has nothing to check in.
    return [in_data](int index, const std::function<bool(const PF_ParamDef&)>& use) {
        if (in_data == nullptr || in_data->inter.checkout_param == nullptr) {
            return false;
        }
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        if (in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time,
                                          in_data->time_step, in_data->time_scale,
                                          &def) != PF_Err_NONE) {
            return false;
        }
        const bool stored = use(def);
        if (in_data->inter.checkin_param != nullptr) {
            in_data->inter.checkin_param(in_data->effect_ref, &def);
        }
        return stored;
    };
}

bool readPopup(const ControlSource& controls, int index, std::int32_t* value) {
    return controls(index, [value](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_POPUP) {
            return false;
        }
        *value = def.u.pd.value - 1;
        return true;
    });
}

bool readInt(const ControlSource& controls, int index, std::int32_t* value) {
    return controls(index, [value](const PF_ParamDef& def) {
        switch (def.param_type) {
        case PF_Param_SLIDER:
            *value = def.u.sd.value;
            return true;
        case PF_Param_FIX_SLIDER:
            *value = fixedWhole(def.u.fd.value);
            return true;
        case PF_Param_FLOAT_SLIDER: {
            // Truncated toward zero; a value no int can hold is not stored.
            const double v = std::trunc(def.u.fs_d.value);
            if (!(v >= std::numeric_limits<std::int32_t>::min() &&
                  v <= std::numeric_limits<std::int32_t>::max())) {
                return false;
            }
            *value = static_cast<std::int32_t>(v);
            return true;
        }
        default:
            return false;
        }
    });
}

bool readDouble(const ControlSource& controls, int index, double* value) {
    return controls(index, [value](const PF_ParamDef& def) { return sliderValue(def, value); });
}

bool readPercent(const ControlSource& controls, int index, double* value) {
    double percent = 0.0;
    if (!readDouble(controls, index, &percent)) {
        return false;
    }
    *value = percent / 100.0;
    return true;
}

bool readColor(const ControlSource& controls, int index, NeonColor* value) {
    return controls(index, [value](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_COLOR) {
            return false;
        }
        const PF_Pixel& p = def.u.cd.value;
        value->red = p.red / 255.0;
        value->green = p.green / 255.0;
        value->blue = p.blue / 255.0;
        value->alpha = p.alpha / 255.0;
        return true;
    });
}

void readSettings(const ControlSource& controls, double downsample, NeonSettings& s) {
    // Controls are in full-resolution layer pixels.
    const double den = downsample;

    readChoice(controls, NEON_TYPE, &s.neonType);
    // More than the stroke table's slots would read past them.
    if (readInt(controls, NEON_STROKE_COUNT, &s.strokeCount)) {
        s.strokeCount = std::min(s.strokeCount, kMaxStrokes);
    }

    // Both distances or neither; a start beyond the end swaps with it.
    double a = 0.0;
    double b = 0.0;
    const bool haveStart = readDouble(controls, NEON_START_DISTANCE, &a);
    const bool haveEnd = readDouble(controls, NEON_END_DISTANCE, &b);
    if (haveStart && haveEnd) {
        s.edgeStartDist = std::min(a, b) / den;
        s.edgeEndDist = std::max(a, b) / den;
    }

    double value = 0.0;
    if (readDouble(controls, NEON_STROKE_WIDTH, &value)) {
        s.edgeSize = value / den;
    }

    readChoice(controls, NEON_DIRECTION, &s.visibleDirection);
    readPercent(controls, NEON_VISIBILITY, &s.visibleValue);
    readInt(controls, NEON_VISIBILITY_SEED, &s.visibleSeed);

    readChoice(controls, NEON_COLOR_TYPE, &s.colorType);
    // More than the colour slots would read past them; fewer than one leaves nothing to pick.
    std::int32_t count = s.colorCount;
    if (readInt(controls, NEON_COLOR_COUNT, &count)) {
        s.colorCount = std::clamp(count, 1, kMaxColors);
    }
    for (std::int32_t i = 0; i < s.colorCount; ++i) {
        readColor(controls, NEON_COLOR_1 + i, &s.strokeColors[i]);
    }
    readInt(controls, NEON_RANDOM_SEED, &s.colorSeed);

    if (readDouble(controls, NEON_GLOW_SIZE, &value)) {
        s.glowSize = value / den;
    }
    readPercent(controls, NEON_GLOW_OPACITY, &s.glowAlpha);
    readPercent(controls, NEON_GLOW_RANDOM, &s.glowRandom);
    readInt(controls, NEON_GLOW_RANDOM_SEED, &s.glowSeed);

    if (readDouble(controls, NEON_SMOOTH, &value)) {
        s.smooth = value / den;
    }

    readChoice(controls, NEON_COMPOSITE, &s.composite);
    readChoice(controls, NEON_QUALITY, &s.quality);
}

void readSettings(PF_InData* in_data, NeonSettings& settings) {
    if (in_data == nullptr) {
        return;
    }
    // A zero denominator would mean no downsampling rather than infinite distances.
    const A_u_long denominator = in_data->downsample_x.den;
    readSettings(checkedOut(in_data), denominator != 0 ? static_cast<double>(denominator) : 1.0,
                 settings);
}

NeonSettings defaultSettings() {
    const ControlSource described = [](int index,
                                       const std::function<bool(const PF_ParamDef&)>& use) {
        if (index < NEON_HEADER || index >= NEON_NUM_PARAMS) {
            return false;
        }
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        describe(control(index), def);
        return use(def);
    };
    NeonSettings settings;
    readSettings(described, 1.0, settings);
    // The slots beyond the default Color Count too.
    for (int i = 0; i < kMaxColors; ++i) {
        readColor(described, NEON_COLOR_1 + i, &settings.strokeColors[i]);
    }
    return settings;
}

} // namespace Neon
} // namespace Kelvane
