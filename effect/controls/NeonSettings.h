// The per-frame settings of the neon effect. Distances are in frame pixels (the host's
// downsampling divided out), percentages are fractions 0..1, popups their choices, seeds the
// integers the user typed. The host makes them from the controls (host/ControlReading.h),
// their defaults included; a value-initialized NeonSettings is all zero.
#pragma once

#include <cstdint>

namespace Kelvane {
namespace Neon {

struct NeonColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;
};

// A popup's choice and its name in the controls' table (host/Controls.h, which checks them at
// compile time). Each enum counts from 0 in the popup's order: the popup's value less one, and
// the number the shaders are given for it.
template <typename Choice> struct ChoiceName {
    Choice choice;
    const char* name;
};

enum class NeonType : std::int32_t { Inner, Outer };
inline constexpr ChoiceName<NeonType> kNeonTypeNames[] = {
    {NeonType::Inner, "Inner Neon"},
    {NeonType::Outer, "Outer Neon"},
};

// The order in which strokes show as Visibility rises.
enum class Direction : std::int32_t { InnerToOuter, OuterToInner, Random };
inline constexpr ChoiceName<Direction> kDirectionNames[] = {
    {Direction::InnerToOuter, "Inner->Outer"},
    {Direction::OuterToInner, "Outer->Inner"},
    {Direction::Random, "Random"},
};

enum class ColorType : std::int32_t { Loop, Random, Gradient };
inline constexpr ChoiceName<ColorType> kColorTypeNames[] = {
    {ColorType::Loop, "Loop"},
    {ColorType::Random, "Random"},
    {ColorType::Gradient, "Gradient"},
};

enum class Composite : std::int32_t { OnlyNeon, NeonAndOrigin };
inline constexpr ChoiceName<Composite> kCompositeNames[] = {
    {Composite::OnlyNeon, "Only Neon"},
    {Composite::NeonAndOrigin, "Neon And Origin"},
};

// The distance map's resolution, full at Extreme to a quarter at Low.
enum class Quality : std::int32_t { Extreme, High, Medium, Low };
inline constexpr ChoiceName<Quality> kQualityNames[] = {
    {Quality::Extreme, "Extreme"},
    {Quality::High, "High"},
    {Quality::Medium, "Medium"},
    {Quality::Low, "Low"},
};

// The stroke pass's colour slots and stroke table rows (spliced into its GLSL).
constexpr int kMaxColors = 8;
constexpr int kMaxStrokes = 100;

struct NeonSettings {
    NeonType neonType = NeonType::Inner;
    std::int32_t strokeCount = 0; // 1..kMaxStrokes
    double edgeStartDist = 0.0;   // frame pixels, never above edgeEndDist
    double edgeEndDist = 0.0;     // frame pixels
    double edgeSize = 0.0;        // frame pixels
    double smooth = 0.0;          // frame pixels
    Direction visibleDirection = Direction::InnerToOuter;
    double visibleValue = 0.0;    // 0..1
    std::int32_t visibleSeed = 0; // 0..10000
    ColorType colorType = ColorType::Loop;
    std::int32_t colorCount = 0; // 1..kMaxColors
    NeonColor strokeColors[kMaxColors] = {};
    std::int32_t colorSeed = 0; // 0..10000
    double glowSize = 0.0;      // frame pixels
    double glowAlpha = 0.0;     // 0..1
    double glowRandom = 0.0;    // 0..1
    std::int32_t glowSeed = 0;  // 0..10000
    Composite composite = Composite::OnlyNeon;
    Quality quality = Quality::Extreme;
};

} // namespace Neon
} // namespace Kelvane
