// The Path suite: paths are kept as segment lists and laid into cairo when filled or stroked.
#include "standins/aehost/drawbot/DrawbotState.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>

namespace Kelvane::Neon::Host {
namespace drawbot {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Records the call with `args` (after the path); appends `segment` when the path is live
// and `valid` holds.
A_Err addSegment(const char* function, DRAWBOT_PathRef path, std::vector<std::string> args,
                 bool valid, const Segment& segment) {
    return objectCall(function, path, Kind::Path, std::move(args), [&](Impl&, Object& p) -> A_Err {
        if (!valid) {
            return A_Err_PARAMETER;
        }
        p.segments.push_back(segment);
        return A_Err_NONE;
    });
}

// A non-finite coordinate would put cairo's context into a lasting error state, so none is
// taken into a path.
A_Err moveTo(DRAWBOT_PathRef path, float x, float y) {
    return addSegment("MoveTo", path, {number(x), number(y)}, finite({x, y}),
                      {Segment::Move, {x, y}});
}
A_Err lineTo(DRAWBOT_PathRef path, float x, float y) {
    return addSegment("LineTo", path, {number(x), number(y)}, finite({x, y}),
                      {Segment::Line, {x, y}});
}
// Copies a point the module passed by address; false for null or an address that cannot be
// read (a module that passes coordinates where the call takes addresses leaves whatever the
// registers held), so such a call fails instead of taking the host down.
bool readPoint(const DRAWBOT_PointF32* from, DRAWBOT_PointF32& to) {
    if (from == nullptr) {
        return false;
    }
    iovec local{&to, sizeof to};
    iovec remote{const_cast<DRAWBOT_PointF32*>(from), sizeof to};
    return ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) == ssize_t(sizeof to);
}

A_Err bezierTo(DRAWBOT_PathRef path, const DRAWBOT_PointF32* c1, const DRAWBOT_PointF32* c2,
               const DRAWBOT_PointF32* p) {
    DRAWBOT_PointF32 a{}, b{}, e{};
    const bool given = readPoint(c1, a) && readPoint(c2, b) && readPoint(p, e);
    auto text = [given](const DRAWBOT_PointF32* at, const DRAWBOT_PointF32& point) {
        return at == nullptr ? std::string("null") : given ? pointText(&point) : "unreadable";
    };
    return addSegment("BezierTo", path, {text(c1, a), text(c2, b), text(p, e)},
                      given && finite({a.x, a.y, b.x, b.y, e.x, e.y}),
                      {Segment::Curve, {a.x, a.y, b.x, b.y, e.x, e.y}});
}

A_Err addRect(DRAWBOT_PathRef path, const DRAWBOT_RectF32* rect) {
    const DRAWBOT_RectF32 r = rect == nullptr ? DRAWBOT_RectF32{} : *rect;
    return addSegment("AddRect", path, {rectText(rect)},
                      rect != nullptr && finite({r.left, r.top, r.width, r.height}),
                      {Segment::Rect, {r.left, r.top, r.width, r.height}});
}

A_Err addArc(DRAWBOT_PathRef path, const DRAWBOT_PointF32* centre, float radius, float start,
             float sweep) {
    const DRAWBOT_PointF32 c = centre == nullptr ? DRAWBOT_PointF32{} : *centre;
    return addSegment("AddArc", path,
                      {pointText(centre), number(radius), number(start), number(sweep)},
                      centre != nullptr && finite({c.x, c.y, radius, start, sweep}) && radius >= 0,
                      {Segment::Arc, {c.x, c.y, radius, start, sweep}});
}

A_Err close(DRAWBOT_PathRef path) {
    return addSegment("Close", path, {}, true, {Segment::Close, {}});
}

} // namespace

void replay(cairo_t* cr, const std::vector<Segment>& segments) {
    cairo_new_path(cr);
    for (const Segment& s : segments) {
        const float* v = s.v;
        switch (s.op) {
        case Segment::Move:
            cairo_move_to(cr, v[0], v[1]);
            break;
        case Segment::Line:
            cairo_line_to(cr, v[0], v[1]);
            break;
        case Segment::Curve:
            cairo_curve_to(cr, v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case Segment::Rect:
            cairo_rectangle(cr, v[0], v[1], v[2], v[3]);
            break;
        case Segment::Arc: {
            // Degrees from the +x axis; positive sweeps turn towards +y (clockwise on screen).
            const double start = v[3] * kPi / 180.0;
            const double sweep = std::clamp(double(v[4]), -360.0, 360.0) * kPi / 180.0;
            if (sweep >= 0) {
                cairo_arc(cr, v[0], v[1], v[2], start, start + sweep);
            } else {
                cairo_arc_negative(cr, v[0], v[1], v[2], start, start + sweep);
            }
            break;
        }
        case Segment::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

DRAWBOT_PathSuite1 makePathSuite() {
    return {moveTo, lineTo, bezierTo, addRect, addArc, close};
}

} // namespace drawbot
} // namespace Kelvane::Neon::Host
