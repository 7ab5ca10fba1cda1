// The filter as the editors that build their panel from a file of their own see it: Kdenlive's
// effect description and Shotcut's meta.qml and ui.qml. Made at build time from the same
// parameter list the filter serves, so an editor's control cannot name a parameter the filter
// does not have, or map it differently.
#pragma once

#include "apps/frei0r/FilterParams.h"

#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

// A control as an editor shows it: the parameter it sets and how.
struct EditorControl {
    const Kelvane::Neon::Control* control = nullptr;
    int index = 0; // the frei0r parameter
    // Numbers: the editor shows the parameter's value times `factor`, in the control's own
    // units; a number whose slider starts above 0 is set through its unscaled twin (factor 1),
    // as neither editor can offset a value.
    double factor = 1.0;
    double minimum = 0.0, maximum = 0.0, dephault = 0.0; // as shown
    int decimals = 0;
    std::vector<std::string> choices; // popups
};

// Every control that holds a value, in the panel's order.
std::vector<EditorControl> editorControls(const FilterParams& params);

std::string kdenliveEffect(const FilterParams& params);
std::string shotcutMeta(const FilterParams& params);
std::string shotcutUi(const FilterParams& params);
// The parameters as the README lists them for ffmpeg's frei0r filter: position, name, meaning.
std::string markdownTable(const FilterParams& params);

} // namespace Kelvane::Neon::Apps
