// An 8-bit ARGB host world (PF_EffectWorld) with its own pixel memory and a chosen row
// padding, convertible to and from tightly packed RGBA images. Rows may be stored bottom-up,
// as some hosts hand them over: `data` is still the top row and `rowbytes` is negative.
#pragma once

#include "AE_Effect.h"

#include <cstdint>
#include <vector>

namespace Kelvane::Neon::Host {

// The longest side of a layer the host hands to an effect, in pixels; larger worlds are
// refused, and so are image files that ask for more.
constexpr int kMaxLayerSide = 30000;

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // red, green, blue, alpha; rows top first, no padding
};

class World {
public:
    enum class RowOrder { TopDown, BottomUp };

    // Sides 0 to kMaxLayerSide. `paddingBytes` extra bytes end every row; they start as
    // `padValue`. BottomUp keeps the top row last in memory and gives the world a negative
    // `rowbytes`.
    World(int width, int height, int paddingBytes = 0, std::uint8_t padValue = 0,
          RowOrder order = RowOrder::TopDown);
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    PF_EffectWorld* world() { return &world_; }
    const PF_EffectWorld* world() const { return &world_; }
    int width() const { return world_.width; }
    int height() const { return world_.height; }
    // Negative for a bottom-up world.
    int rowbytes() const { return world_.rowbytes; }

    PF_Pixel& at(int x, int y);
    const PF_Pixel& at(int x, int y) const;
    // Row y (0 is the top) as it lies in memory, padding included: |rowbytes| bytes.
    const std::uint8_t* row(int y) const;
    // Raw bytes in memory order (bottom row first when bottom-up), including padding, for
    // checking that padding stays untouched.
    const std::vector<std::uint8_t>& bytes() const { return memory_; }
    std::vector<std::uint8_t>& bytes() { return memory_; }

    void fill(PF_Pixel pixel);
    void fromRgba(const RgbaImage& image); // sizes must match
    RgbaImage toRgba() const;

private:
    std::vector<std::uint8_t> memory_;
    PF_EffectWorld world_;
};

} // namespace Kelvane::Neon::Host
