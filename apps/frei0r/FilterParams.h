// The effect's controls as frei0r parameters: every control of the description that holds a
// value (not the header strip nor the group rows), in the panel's order and under the panel's
// names. Numbers are doubles where 0..1 spans the control's slider and values beyond reach the
// rest of its valid range; popups are strings (a choice's name or number); colours are colours.
// After them, for each number whose slider does not start at 0, its unscaled twin: the same
// control set by the value it shows, for editors that can scale a number but not offset it.
// Made once from the description; read-only afterwards, so any thread may use it.
#pragma once

#include "effect/controls/Controls.h"

#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

// The filter as frei0r hosts list it.
constexpr const char* kFilterAuthor = "Zarvo";
constexpr const char* kFilterExplanation =
    "Glowing neon strokes along the edge of the frame's alpha, inside or outside the shape, "
    "drawn on the GPU.";

struct FilterParam {
    std::string name;
    int type = 0; // F0R_PARAM_*
    std::string explanation;
    int stream = 0; // index in the host's params array (0 is the layer)
    const Kelvane::Neon::Control* control = nullptr;
    bool unscaled = false; // a number as the control shows it, not mapped from 0..1
};

class FilterParams {
public:
    FilterParams();

    int size() const { return int(params_.size()); }
    // Null for an index outside 0..size() - 1.
    const FilterParam* find(int index) const;
    // The index of the parameter that sets `control`, its unscaled twin if `unscaled`; -1 where
    // there is none.
    int indexOf(const Kelvane::Neon::Control& control, bool unscaled) const;

    // Writes the frei0r value at `value` (a double, a char* or an f0r_param_color_t, by the
    // parameter's type) into `target`, the control's current value. Returns why it was refused
    // (`target` unchanged), or std::nullopt.
    static std::optional<std::string> set(const FilterParam& param, const void* value,
                                          PF_ParamDef& target);
    // Writes the control's value `current` at `value` as frei0r reads it; a popup's name is
    // kept in `text`, which `value` then points into.
    static void get(const FilterParam& param, const PF_ParamDef& current, void* value,
                    std::string& text);

private:
    std::vector<FilterParam> params_;
};

} // namespace Kelvane::Neon::Apps
