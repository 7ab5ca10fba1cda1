#include "apps/cli/commands/Sample.h"

#include <algorithm>
#include <cmath>

namespace Kelvane::Neon::Apps {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Point {
    double x, y;
};

// Even-odd point-in-polygon test.
bool insidePolygon(const Point* vertices, int count, double x, double y) {
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const Point& a = vertices[i];
        const Point& b = vertices[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

} // namespace

Kelvane::Neon::Host::RgbaImage sampleLayer(int width, int height) {
    const double unit = std::min(width, height) / 270.0;
    Point star[10];
    const Point starCentre{width * 0.36, height * 0.52};
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0 ? 95.0 : 40.0) * unit;
        const double angle = -kPi / 2 + i * kPi / 5;
        star[i] = {starCentre.x + radius * std::cos(angle),
                   starCentre.y + radius * std::sin(angle)};
    }
    const Point discCentre{width * 0.74, height * 0.5};
    const double discRadius = 48.0 * unit;

    Kelvane::Neon::Host::RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(std::size_t(width) * height * 4, 0);
    constexpr int kSub = 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double px = x + (sx + 0.5) / kSub;
                    const double py = y + (sy + 0.5) / kSub;
                    const bool inDisc =
                        std::hypot(px - discCentre.x, py - discCentre.y) <= discRadius;
                    covered += (inDisc || insidePolygon(star, 10, px, py)) ? 1 : 0;
                }
            }
            const auto alpha = static_cast<std::uint8_t>((covered * 255 + 8) / (kSub * kSub));
            std::uint8_t* p = &image.pixels[(std::size_t(y) * width + x) * 4];
            p[0] = p[1] = p[2] = 255; // straight white; the edge lives in the alpha
            p[3] = alpha;
        }
    }
    return image;
}

} // namespace Kelvane::Neon::Apps
