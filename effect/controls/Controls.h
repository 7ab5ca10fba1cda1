// The effect's controls, described once. The parameters declared to the host, the settings read
// from them and their defaults, the frei0r filter's parameters and the command's checks are all
// made from this table, so no two of them can disagree. Saved projects and hosts rely on every
// index, disk ID, name, range, default, flag and choice here: change none of them.
#pragma once

#include "effect/controls/EffectInfo.h"
#include "effect/controls/NeonParams.h"
#include "effect/controls/NeonSettings.h"

#include "AE_Effect.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Kelvane {
namespace Neon {

// Each kind is the host's parameter type it is declared as.
enum class ControlKind : PF_ParamType {
    Header = PF_Param_NO_DATA,
    Popup = PF_Param_POPUP,
    Slider = PF_Param_SLIDER,
    FixedSlider = PF_Param_FIX_SLIDER,
    Color = PF_Param_COLOR,
    GroupStart = PF_Param_GROUP_START,
    GroupEnd = PF_Param_GROUP_END,
};

struct ControlColor {
    A_u_char red, green, blue;
};

struct ControlRange {
    A_long validMin, validMax, sliderMin, sliderMax;
};

struct Control {
    NeonParam index; // position in the host's params array
    A_long diskId;   // identity in saved projects
    ControlKind kind;
    const char* name;
    PF_ParamFlags flags;
    // Sliders: whole numbers, a fixed slider's in what it shows (percent), declared as 16.16.
    ControlRange range;
    A_long dephault;         // sliders: a value; popups: the choice, from 1
    A_short precision;       // fixed sliders: decimals shown
    bool percent;            // fixed sliders: shown as a percentage
    const char* unit;        // what a slider counts, or nullptr
    const char* choices;     // popups: "First|Second|..."
    ControlColor color;      // colours: the default, opaque
    const char* description; // one line without a final stop; nullptr where nothing is set
};

constexpr bool holdsValue(ControlKind kind) {
    return kind == ControlKind::Popup || kind == ControlKind::Slider ||
           kind == ControlKind::FixedSlider || kind == ControlKind::Color;
}

constexpr PF_ParamType paramType(ControlKind kind) {
    return static_cast<PF_ParamType>(kind);
}

// A choice as its popup's value, which counts from 1.
template <typename Choice> constexpr PF_ParamValue popupValue(Choice choice) {
    static_assert(std::is_enum_v<Choice>, "a choice, not a number");
    return static_cast<PF_ParamValue>(choice) + 1;
}

// A popup's choice names from its text "First|Second|...": the one place that splits it.
// An empty text has none.
constexpr int choiceCount(std::string_view choices) {
    int count = choices.empty() ? 0 : 1;
    for (const char c : choices) {
        count += c == '|' ? 1 : 0;
    }
    return count;
}

// The name at `position`, from 0; empty past the last.
constexpr std::string_view choiceName(std::string_view choices, int position) {
    for (; position > 0; --position) {
        const std::size_t bar = choices.find('|');
        if (bar == std::string_view::npos) {
            return {};
        }
        choices.remove_prefix(bar + 1);
    }
    return position < 0 ? std::string_view{} : choices.substr(0, choices.find('|'));
}

std::vector<std::string> choiceNames(std::string_view choices);

namespace controls {

constexpr Control row(NeonParam index, A_long diskId, ControlKind kind, const char* name,
                      const char* description) {
    Control c{};
    c.index = index;
    c.diskId = diskId;
    c.kind = kind;
    c.name = name;
    c.description = description;
    return c;
}

constexpr Control header(NeonParam index, A_long diskId, const char* name, PF_ParamFlags flags) {
    Control c = row(index, diskId, ControlKind::Header, name, nullptr);
    c.flags = flags;
    return c;
}

template <typename Choice>
constexpr Control popup(NeonParam index, A_long diskId, const char* name, const char* choices,
                        Choice dephault, const char* description, PF_ParamFlags flags = 0) {
    Control c = row(index, diskId, ControlKind::Popup, name, description);
    c.choices = choices;
    c.dephault = popupValue(dephault);
    c.flags = flags;
    return c;
}

constexpr Control slider(NeonParam index, A_long diskId, const char* name, ControlRange range,
                         A_long dephault, const char* unit, const char* description,
                         PF_ParamFlags flags = 0) {
    Control c = row(index, diskId, ControlKind::Slider, name, description);
    c.range = range;
    c.dephault = dephault;
    c.unit = unit;
    c.flags = flags;
    return c;
}

// A fixed slider shown as a percentage with one decimal.
constexpr Control percent(NeonParam index, A_long diskId, const char* name, ControlRange range,
                          A_long dephault, const char* description) {
    Control c = row(index, diskId, ControlKind::FixedSlider, name, description);
    c.range = range;
    c.dephault = dephault;
    c.precision = 1;
    c.percent = true;
    return c;
}

constexpr Control color(NeonParam index, A_long diskId, const char* name, ControlColor dephault) {
    Control c = row(index, diskId, ControlKind::Color, name, "One of the stroke colours");
    c.color = dephault;
    return c;
}

constexpr Control group(NeonParam index, A_long diskId, const char* name) {
    return row(index, diskId, ControlKind::GroupStart, name, nullptr);
}

constexpr Control groupEnd(NeonParam index, A_long diskId) {
    return row(index, diskId, ControlKind::GroupEnd, "", nullptr);
}

constexpr ControlColor kBlue{25, 25, 255};
constexpr ControlColor kRed{255, 25, 25};
constexpr ControlColor kGreen{25, 255, 25};
constexpr ControlRange kSeedRange{0, 10000, 0, 100};
constexpr ControlRange kWholePercent{0, 100, 0, 100};
constexpr const char* kPixels = "pixels";
constexpr PF_ParamFlags kHeaderFlags =
    PF_ParamFlag_SUPERVISE | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_CANNOT_TIME_VARY;

} // namespace controls

// One row per control, in index order from NEON_HEADER (index 0 is the host's input layer).
// clang-format off
inline constexpr Control kControls[] = {
    controls::header(NEON_HEADER, 10000, kMakerDomain, controls::kHeaderFlags),
    controls::popup(NEON_TYPE, 1, "Neon Type", "Inner Neon|Outer Neon", NeonType::Outer,
                    "Whether the strokes run inside or outside the shape's edge"),
    controls::slider(NEON_STROKE_COUNT, 2, "Stroke Count", {1, 100, 1, 5}, 3, nullptr,
                     "How many strokes"),
    controls::slider(NEON_START_DISTANCE, 3, "Start Distance", {0, 1000, 0, 400}, 1,
                     controls::kPixels, "Distance of the first stroke from the edge"),
    controls::slider(NEON_END_DISTANCE, 4, "End Distance", {1, 1000, 1, 400}, 100,
                     controls::kPixels, "Distance of the last stroke from the edge"),
    controls::slider(NEON_STROKE_WIDTH, 5, "Stroke Width", {4, 400, 4, 100}, 10,
                     controls::kPixels, "Width of each stroke"),
    controls::group(NEON_VISIBILITY_GROUP_START, 6, "Visibility"),
    controls::popup(NEON_DIRECTION, 7, "Direction", "Inner->Outer|Outer->Inner|Random",
                    Direction::InnerToOuter,
                    "Which strokes show first as Visibility rises"),
    controls::percent(NEON_VISIBILITY, 8, "Visibility", controls::kWholePercent, 100,
                      "Share of the strokes shown"),
    controls::slider(NEON_VISIBILITY_SEED, 9, "Visibility Seed", controls::kSeedRange, 0, nullptr,
                     "Seed of the random order in which strokes show"),
    controls::groupEnd(NEON_VISIBILITY_GROUP_END, 10),
    controls::group(NEON_COLORS_GROUP_START, 11, "Colors"),
    controls::popup(NEON_COLOR_TYPE, 12, "Color Type", "Loop|Random|Gradient", ColorType::Loop,
                    "How the colours are given to the strokes", PF_ParamFlag_SUPERVISE),
    controls::slider(NEON_COLOR_COUNT, 13, "Color Count", {1, 8, 1, 8}, 3, nullptr,
                     "How many of the colours are used", PF_ParamFlag_SUPERVISE),
    controls::color(NEON_COLOR_1, 14, "Color 1", controls::kBlue),
    controls::color(NEON_COLOR_2, 15, "Color 2", controls::kRed),
    controls::color(NEON_COLOR_3, 16, "Color 3", controls::kGreen),
    controls::color(NEON_COLOR_4, 17, "Color 4", controls::kBlue),
    controls::color(NEON_COLOR_5, 18, "Color 5", controls::kBlue),
    controls::color(NEON_COLOR_6, 19, "Color 6", controls::kBlue),
    controls::color(NEON_COLOR_7, 20, "Color 7", controls::kBlue),
    controls::color(NEON_COLOR_8, 21, "Color 8", controls::kBlue),
    controls::slider(NEON_RANDOM_SEED, 22, "Random Seed", controls::kSeedRange, 0, nullptr,
                     "Seed of the random colours"),
    controls::groupEnd(NEON_COLORS_GROUP_END, 23),
    controls::group(NEON_GLOW_GROUP_START, 24, "Glow"),
    controls::slider(NEON_GLOW_SIZE, 25, "Glow Size", {1, 300, 1, 100}, 50, controls::kPixels,
                     "Size of the glow around each stroke"),
    controls::percent(NEON_GLOW_OPACITY, 26, "Glow Opacity", controls::kWholePercent, 30,
                      "Opacity of the glow"),
    controls::percent(NEON_GLOW_RANDOM, 27, "Glow Random", controls::kWholePercent, 0,
                      "How much the glow varies from stroke to stroke"),
    controls::slider(NEON_GLOW_RANDOM_SEED, 28, "Glow Random Seed", controls::kSeedRange, 0,
                     nullptr, "Seed of the glow's variation"),
    controls::groupEnd(NEON_GLOW_GROUP_END, 29),
    controls::slider(NEON_SMOOTH, 30, "Smooth", {1, 40, 1, 20}, 2, controls::kPixels,
                     "Smoothing of the edge the strokes follow"),
    controls::popup(NEON_COMPOSITE, 31, "Composite", "Only Neon|Neon And Origin",
                    Composite::OnlyNeon,
                    "The strokes alone, or over the layer"),
    controls::popup(NEON_QUALITY, 32, "Quality", "Extreme|High|Medium|Low", Quality::Low,
                    "Resolution of the edge's distance map: Extreme is full, Low a quarter"),
};
// clang-format on

// The row of params index `index`, NEON_HEADER to NEON_QUALITY.
constexpr const Control& control(int index) {
    return kControls[index - NEON_HEADER];
}

constexpr int kColorSlots = NEON_COLOR_8 - NEON_COLOR_1 + 1;

namespace controls {

constexpr bool wellFormed() {
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        if (kControls[i].index != NEON_HEADER + int(i)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (kControls[j].diskId == kControls[i].diskId) {
                return false;
            }
        }
    }
    for (int slot = NEON_COLOR_1; slot <= NEON_COLOR_8; ++slot) {
        if (control(slot).kind != ControlKind::Color) {
            return false;
        }
    }
    return true;
}

// Whether the popup `c` offers exactly the choices `names` lists, in the enum's order.
template <typename Choice, std::size_t N>
constexpr bool choicesAre(const Control& c, const ChoiceName<Choice> (&names)[N]) {
    if (c.kind != ControlKind::Popup || choiceCount(c.choices) != int(N)) {
        return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(names[i].choice) != i ||
            choiceName(c.choices, int(i)) != std::string_view(names[i].name)) {
            return false;
        }
    }
    return true;
}

} // namespace controls

static_assert(std::size(kControls) == NEON_NUM_PARAMS - 1, "one row per control after the layer");
static_assert(controls::wellFormed(),
              "rows in index order, disk IDs unique, colour slots together");
static_assert(kColorSlots == kMaxColors && control(NEON_COLOR_COUNT).range.validMax == kMaxColors,
              "Color Count picks among the settings' colour slots");
static_assert(control(NEON_STROKE_COUNT).range.validMax == kMaxStrokes,
              "every stroke has a slot in the stroke table");
// Each popup's choices are its enum's, in the same order (NeonSettings.h).
static_assert(controls::choicesAre(control(NEON_TYPE), kNeonTypeNames), "Neon Type: NeonType");
static_assert(controls::choicesAre(control(NEON_DIRECTION), kDirectionNames),
              "Direction: Direction");
static_assert(controls::choicesAre(control(NEON_COLOR_TYPE), kColorTypeNames),
              "Color Type: ColorType");
static_assert(controls::choicesAre(control(NEON_COMPOSITE), kCompositeNames),
              "Composite: Composite");
static_assert(controls::choicesAre(control(NEON_QUALITY), kQualityNames), "Quality: Quality");

// The number of choices of a popup.
constexpr A_short choiceCount(const Control& c) {
    return c.choices == nullptr ? 0 : static_cast<A_short>(choiceCount(c.choices));
}

// The definition the host is given for `c`, with its default as the value: everything but the
// name and a popup's choice names, which the caller copies where the host reads them.
void describe(const Control& c, PF_ParamDef& def);

// The description as a sentence, its unit included ("Width of each stroke, in pixels.").
std::string sentence(const Control& c);

} // namespace Neon
} // namespace Kelvane
