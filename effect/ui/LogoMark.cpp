#include "effect/ui/LogoMark.h"

#include <cmath>

namespace Kelvane {
namespace Neon {
namespace {

// Control point distance of a cubic quarter circle of radius 1.
constexpr double kKappa = 0.5522847498;

struct Point {
    double x, y;
};

Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
Point operator*(Point a, double s) {
    return {a.x * s, a.y * s};
}

// Writes sub-paths into the host's path, every point offset by the origin.
class Pen {
public:
    Pen(const DRAWBOT_PathSuite1& suite, DRAWBOT_PathRef path, Point origin)
        : suite_(suite), path_(path), origin_(origin) {}

    void moveTo(Point p) const { suite_.MoveTo(path_, x(p), y(p)); }
    void lineTo(Point p) const { suite_.LineTo(path_, x(p), y(p)); }
    void bezierTo(Point c1, Point c2, Point p) const {
        const DRAWBOT_PointF32 c1f{x(c1), y(c1)}, c2f{x(c2), y(c2)}, pf{x(p), y(p)};
        suite_.BezierTo(path_, &c1f, &c2f, &pf);
    }
    void close() const { suite_.Close(path_); }

private:
    float x(Point p) const { return static_cast<float>(origin_.x + p.x); }
    float y(Point p) const { return static_cast<float>(origin_.y + p.y); }

    const DRAWBOT_PathSuite1& suite_;
    DRAWBOT_PathRef path_;
    Point origin_;
};

// Clockwise on screen (y down), as every outline of the mark.
void RoundedRect(const Pen& pen, Point a, Point b, double r) {
    const double k = kKappa * r;
    pen.moveTo({a.x + r, a.y});
    pen.lineTo({b.x - r, a.y});
    pen.bezierTo({b.x - r + k, a.y}, {b.x, a.y + r - k}, {b.x, a.y + r});
    pen.lineTo({b.x, b.y - r});
    pen.bezierTo({b.x, b.y - r + k}, {b.x - r + k, b.y}, {b.x - r, b.y});
    pen.lineTo({a.x + r, b.y});
    pen.bezierTo({a.x + r - k, b.y}, {a.x, b.y - r + k}, {a.x, b.y - r});
    pen.lineTo({a.x, a.y + r});
    pen.bezierTo({a.x, a.y + r - k}, {a.x + r - k, a.y}, {a.x + r, a.y});
    pen.close();
}

// The same outline counter-clockwise: under the winding rule it cuts a hole.
void RoundedRectHole(const Pen& pen, Point a, Point b, double r) {
    const double k = kKappa * r;
    pen.moveTo({a.x + r, a.y});
    pen.bezierTo({a.x + r - k, a.y}, {a.x, a.y + r - k}, {a.x, a.y + r});
    pen.lineTo({a.x, b.y - r});
    pen.bezierTo({a.x, b.y - r + k}, {a.x + r - k, b.y}, {a.x + r, b.y});
    pen.lineTo({b.x - r, b.y});
    pen.bezierTo({b.x - r + k, b.y}, {b.x, b.y - r + k}, {b.x, b.y - r});
    pen.lineTo({b.x, a.y + r});
    pen.bezierTo({b.x, a.y + r - k}, {b.x - r + k, a.y}, {b.x - r, a.y});
    pen.lineTo({a.x + r, a.y});
    pen.close();
}

// A straight tube from p0 to p1, `h` half thick, with round caps.
void Tube(const Pen& pen, Point p0, Point p1, double h) {
    const Point d = p1 - p0;
    const double length = std::hypot(d.x, d.y);
    const Point u = d * (1.0 / length);
    const Point n{u.y, -u.x};
    const double k = kKappa * h;
    pen.moveTo(p0 + n * h);
    pen.lineTo(p1 + n * h);
    pen.bezierTo(p1 + n * h + u * k, p1 + u * h + n * k, p1 + u * h);
    pen.bezierTo(p1 + u * h - n * k, p1 - n * h + u * k, p1 - n * h);
    pen.lineTo(p0 - n * h);
    pen.bezierTo(p0 - n * h - u * k, p0 - u * h - n * k, p0 - u * h);
    pen.bezierTo(p0 - u * h + n * k, p0 + n * h - u * k, p0 + n * h);
    pen.close();
}

// A horizontal light trail: a round head at `head`, `h` half thick, tapering to a point at tipX.
void Trail(const Pen& pen, Point head, double h, double tipX) {
    const double k = kKappa * h;
    pen.moveTo({head.x, head.y - h});
    pen.lineTo({tipX, head.y});
    pen.lineTo({head.x, head.y + h});
    pen.bezierTo({head.x - k, head.y + h}, {head.x - h, head.y + k}, {head.x - h, head.y});
    pen.bezierTo({head.x - h, head.y - k}, {head.x - k, head.y - h}, {head.x, head.y - h});
    pen.close();
}

// A five-pointed star, one point up.
void Star(const Pen& pen, Point centre, double outer, double inner) {
    constexpr int kCorners = 10;
    const double pi = std::acos(-1.0);
    for (int i = 0; i < kCorners; ++i) {
        const double angle = -pi / 2 + i * pi / 5;
        const double radius = i % 2 == 0 ? outer : inner;
        const Point corner{centre.x + radius * std::cos(angle),
                           centre.y + radius * std::sin(angle)};
        if (i == 0) {
            pen.moveTo(corner);
        } else {
            pen.lineTo(corner);
        }
    }
    pen.close();
}

} // namespace

void AddLogoMark(const DRAWBOT_PathSuite1& path_suite, DRAWBOT_PathRef path, double left,
                 double top) {
    const Pen pen(path_suite, path, {left, top});
    constexpr double kTube = 1.6; // half the thickness of every tube

    // The frame: a ring round the letter.
    RoundedRect(pen, {0.47, 8.33}, {32.74, 40.60}, 7.0);
    RoundedRectHole(pen, {3.07, 10.93}, {30.14, 38.00}, 4.4);

    // The "Z", bent from three tubes with small gaps at the bends, as a glass-blower would.
    Tube(pen, {9.6, 16.6}, {23.6, 16.6}, kTube);
    Tube(pen, {22.0, 20.6}, {11.2, 28.3}, kTube);
    Tube(pen, {9.6, 32.3}, {23.6, 32.3}, kTube);

    // Light trails leaving the frame, and a star at their end.
    Tube(pen, {40.0, 15.0}, {78.0, 15.0}, kTube);
    Trail(pen, {44.0, 21.3}, kTube, 90.0);
    Tube(pen, {40.0, 27.6}, {70.0, 27.6}, kTube);
    Trail(pen, {44.0, 33.9}, kTube, 82.0);
    Star(pen, {103.6, 17.0}, 8.0, 3.6);
}

} // namespace Neon
} // namespace Kelvane
