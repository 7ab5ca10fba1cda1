// An 8-bit ARGB host world (PF_EffectWorld) with its own pixel memory and a chosen row
// padding, convertible to and from tightly packed RGBA images.
#pragma once

#include "AE_Effect.h"

#include <cstdint>
#include <vector>

namespace aehost {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // red, green, blue, alpha; rows top first, no padding
};

class World {
public:
    // `paddingBytes` extra bytes end every row; they start as `padValue`.
    World(int width, int height, int paddingBytes = 0, std::uint8_t padValue = 0);
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    PF_EffectWorld* world() { return &world_; }
    const PF_EffectWorld* world() const { return &world_; }
    int width() const { return world_.width; }
    int height() const { return world_.height; }
    int rowbytes() const { return world_.rowbytes; }

    PF_Pixel& at(int x, int y);
    const PF_Pixel& at(int x, int y) const;
    // Raw bytes including padding, for checking that padding stays untouched.
    const std::vector<std::uint8_t>& bytes() const { return memory_; }
    std::vector<std::uint8_t>& bytes() { return memory_; }

    void fill(PF_Pixel pixel);
    void fromRgba(const RgbaImage& image); // sizes must match
    RgbaImage toRgba() const;

private:
    std::vector<std::uint8_t> memory_;
    PF_EffectWorld world_;
};

} // namespace aehost
