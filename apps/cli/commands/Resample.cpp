#include "apps/cli/commands/Resample.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace Kelvane::Neon::Apps {
namespace {

// a / b rounded to the nearest integer, halves up; b above 0.
std::uint64_t roundedQuotient(std::uint64_t a, std::uint64_t b) {
    return (2 * a + b) / (2 * b);
}

} // namespace

Kelvane::Neon::Host::RgbaImage downsample(const Kelvane::Neon::Host::RgbaImage& layer, int factor) {
    if (factor < 1 || factor > 16) {
        throw std::invalid_argument("downsampling factor " + std::to_string(factor) +
                                    " lies outside 1 to 16");
    }
    const FrameSize size = frameSize(layer.width, layer.height, factor, 0);
    Kelvane::Neon::Host::RgbaImage small;
    small.width = int(size.width);
    small.height = int(size.height);
    small.pixels.assign(std::size_t(small.width) * small.height * 4, 0);
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            std::uint64_t alpha = 0;
            std::uint64_t colour[3] = {};
            std::uint64_t count = 0;
            for (int sy = y * factor; sy < std::min(layer.height, (y + 1) * factor); ++sy) {
                for (int sx = x * factor; sx < std::min(layer.width, (x + 1) * factor); ++sx) {
                    const std::uint8_t* p = &layer.pixels[(std::size_t(sy) * layer.width + sx) * 4];
                    for (int c = 0; c < 3; ++c) {
                        colour[c] += std::uint64_t(p[c]) * p[3];
                    }
                    alpha += p[3];
                    ++count;
                }
            }
            std::uint8_t* out = &small.pixels[(std::size_t(y) * small.width + x) * 4];
            for (int c = 0; c < 3 && alpha > 0; ++c) {
                out[c] = std::uint8_t(roundedQuotient(colour[c], alpha));
            }
            out[3] = std::uint8_t(roundedQuotient(alpha, count));
        }
    }
    return small;
}

void clearColourUnderTransparency(Kelvane::Neon::Host::RgbaImage& layer) {
    for (std::size_t i = 0; i + 3 < layer.pixels.size(); i += 4) {
        if (layer.pixels[i + 3] == 0) {
            layer.pixels[i] = layer.pixels[i + 1] = layer.pixels[i + 2] = 0;
        }
    }
}

Kelvane::Neon::Host::RgbaImage extendCanvas(const Kelvane::Neon::Host::RgbaImage& layer,
                                            int border) {
    if (border < 0 || layer.width + 2 * std::int64_t(border) > Kelvane::Neon::Host::kMaxLayerSide ||
        layer.height + 2 * std::int64_t(border) > Kelvane::Neon::Host::kMaxLayerSide) {
        throw std::invalid_argument(
            "a border of " + std::to_string(border) + " pixels makes the layer larger than " +
            std::to_string(Kelvane::Neon::Host::kMaxLayerSide) + " pixels a side");
    }
    Kelvane::Neon::Host::RgbaImage canvas;
    canvas.width = layer.width + 2 * border;
    canvas.height = layer.height + 2 * border;
    canvas.pixels.assign(std::size_t(canvas.width) * canvas.height * 4, 0);
    for (int y = 0; y < layer.height; ++y) {
        std::copy_n(&layer.pixels[std::size_t(y) * layer.width * 4], std::size_t(layer.width) * 4,
                    &canvas.pixels[(std::size_t(y + border) * canvas.width + border) * 4]);
    }
    return canvas;
}

FrameSize frameSize(int width, int height, int factor, int border) {
    return {(width + factor - 1LL) / factor + 2LL * border,
            (height + factor - 1LL) / factor + 2LL * border};
}

} // namespace Kelvane::Neon::Apps
