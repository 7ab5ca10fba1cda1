// Reading the controls into NeonSettings: from the host's parameters at the frame's time, or
// from any other source of parameter records (the command reads its own streams through the
// same code to work out the neon's reach).
#pragma once

#include "effect/controls/NeonSettings.h"

#include "AE_Effect.h"

#include <cstdint>
#include <functional>

namespace Kelvane {
namespace Neon {

// Hands the record of params index `index`, as it stands at the frame's time, to `use` and
// returns what `use` returned; false, without calling `use`, when there is no record.
using ControlSource =
    std::function<bool(int index, const std::function<bool(const PF_ParamDef&)>& use)>;

// The host's controls at the frame's time: each checked out, handed on and checked in again.
ControlSource checkedOut(PF_InData* in_data);

// Readers of one control: each returns whether it stored a value; a control that cannot be
// had or is of another type stores nothing.
bool readPopup(const ControlSource& controls, int index, std::int32_t* value); // zero-based
bool readInt(const ControlSource& controls, int index, std::int32_t* value);
bool readDouble(const ControlSource& controls, int index, double* value);
bool readPercent(const ControlSource& controls, int index, double* value); // as a fraction
bool readColor(const ControlSource& controls, int index, NeonColor* value);

// Reads every control the settings hold into `settings`, distances divided by `downsample`; a
// control that cannot be read leaves its field as it was.
void readSettings(const ControlSource& controls, double downsample, NeonSettings& settings);
// The host's controls at the frame's time, at its horizontal downsampling.
void readSettings(PF_InData* in_data, NeonSettings& settings);

// The settings the controls' defaults read as, every colour slot included.
NeonSettings defaultSettings();

} // namespace Neon
} // namespace Kelvane
