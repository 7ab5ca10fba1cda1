#include "standins/aehost/host/World.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Kelvane::Neon::Host {

World::World(int width, int height, int paddingBytes, std::uint8_t padValue, RowOrder order)
    : world_{} {
    if (width < 0 || height < 0 || paddingBytes < 0) {
        throw std::invalid_argument("world sizes must not be negative");
    }
    if (width > kMaxLayerSide || height > kMaxLayerSide) {
        throw std::invalid_argument("a world is at most " + std::to_string(kMaxLayerSide) +
                                    " pixels a side");
    }
    const std::size_t stride = std::size_t(width) * 4 + std::size_t(paddingBytes);
    memory_.assign(stride * std::size_t(height), padValue);
    for (int y = 0; y < height && width > 0; ++y) {
        std::memset(memory_.data() + std::size_t(y) * stride, 0, std::size_t(width) * 4);
    }
    const bool bottomUp = order == RowOrder::BottomUp;
    std::uint8_t* top = memory_.empty() ? nullptr
                        : bottomUp      ? memory_.data() + std::size_t(height - 1) * stride
                                        : memory_.data();
    world_.data = reinterpret_cast<PF_PixelPtr>(top);
    world_.rowbytes = bottomUp ? -static_cast<A_long>(stride) : static_cast<A_long>(stride);
    world_.width = width;
    world_.height = height;
    world_.extent_hint = {0, 0, width, height};
    world_.pix_aspect_ratio = {1, 1};
    world_.world_flags = PF_WorldFlag_WRITEABLE;
}

const std::uint8_t* World::row(int y) const {
    if (y < 0 || y >= height()) {
        throw std::out_of_range("row outside the world");
    }
    return reinterpret_cast<const std::uint8_t*>(world_.data) + std::ptrdiff_t(y) * rowbytes();
}

PF_Pixel& World::at(int x, int y) {
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        throw std::out_of_range("pixel outside the world");
    }
    return *reinterpret_cast<PF_Pixel*>(const_cast<std::uint8_t*>(row(y)) + std::size_t(x) * 4);
}

const PF_Pixel& World::at(int x, int y) const {
    return const_cast<World*>(this)->at(x, y);
}

void World::fill(PF_Pixel pixel) {
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            at(x, y) = pixel;
        }
    }
}

void World::fromRgba(const RgbaImage& image) {
    if (image.width != width() || image.height != height() ||
        image.pixels.size() != std::size_t(width()) * height() * 4) {
        throw std::invalid_argument("image and world differ in size");
    }
    const std::uint8_t* p = image.pixels.data();
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x, p += 4) {
            at(x, y) = PF_Pixel{p[3], p[0], p[1], p[2]};
        }
    }
}

RgbaImage World::toRgba() const {
    RgbaImage image;
    image.width = width();
    image.height = height();
    image.pixels.reserve(std::size_t(width()) * height() * 4);
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            const PF_Pixel& px = at(x, y);
            image.pixels.insert(image.pixels.end(), {px.red, px.green, px.blue, px.alpha});
        }
    }
    return image;
}

} // namespace Kelvane::Neon::Host
