// The Surface suite: the state stack, painting, filling and stroking, clipping, transforms,
// images and the drawing policies, all on the host's cairo context. DrawString lives with the
// text layout.
#include "standins/aehost/drawbot/DrawbotState.h"

#include <algorithm>
#include <cmath>

namespace Kelvane::Neon::Host {
namespace drawbot {
namespace {

cairo_filter_t cairoFilter(DRAWBOT_InterpolationPolicy policy) {
    switch (policy) {
    case kDRAWBOT_InterpolationPolicy_None:
        return CAIRO_FILTER_NEAREST;
    case kDRAWBOT_InterpolationPolicy_High:
        return CAIRO_FILTER_BEST;
    default:
        return CAIRO_FILTER_GOOD;
    }
}

A_Err pushStateStack(DRAWBOT_SurfaceRef surface) {
    return objectCall("PushStateStack", surface, Kind::Surface, {}, [](Impl& h, Object&) {
        cairo_save(h.cr);
        h.states.push_back(h.states.back());
        return h.status();
    });
}

A_Err popStateStack(DRAWBOT_SurfaceRef surface) {
    return objectCall("PopStateStack", surface, Kind::Surface, {}, [](Impl& h, Object&) -> A_Err {
        // An unmatched restore would leave cairo's context unusable for good.
        if (h.states.size() < 2) {
            return A_Err_PARAMETER;
        }
        cairo_restore(h.cr);
        h.states.pop_back();
        return h.status();
    });
}

A_Err paintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA* colour,
                const DRAWBOT_RectF32* rect) {
    return objectCall("PaintRect", surface, Kind::Surface, {colourText(colour), rectText(rect)},
                      [&](Impl& h, Object&) -> A_Err {
                          if (!validColour(colour) || rect == nullptr ||
                              !finite({rect->left, rect->top, rect->width, rect->height})) {
                              return A_Err_PARAMETER;
                          }
                          cairo_save(h.cr);
                          cairo_rectangle(h.cr, rect->left, rect->top, rect->width, rect->height);
                          setSource(h.cr, *colour);
                          cairo_fill(h.cr);
                          cairo_restore(h.cr);
                          return h.status();
                      });
}

A_Err fillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
               DRAWBOT_FillType fillType) {
    return objectCall(
        "FillPath", surface, Kind::Surface, {name(brush), name(path), std::to_string(fillType)},
        [&](Impl& h, Object&) -> A_Err {
            const Object* b = h.find(brush, Kind::Brush);
            const Object* p = h.find(path, Kind::Path);
            if (b == nullptr || p == nullptr ||
                (fillType != kDRAWBOT_FillType_EvenOdd && fillType != kDRAWBOT_FillType_Winding)) {
                return A_Err_PARAMETER;
            }
            cairo_save(h.cr);
            replay(h.cr, p->segments);
            cairo_set_fill_rule(h.cr, fillType == kDRAWBOT_FillType_EvenOdd
                                          ? CAIRO_FILL_RULE_EVEN_ODD
                                          : CAIRO_FILL_RULE_WINDING);
            setSource(h.cr, b->colour);
            cairo_fill(h.cr);
            cairo_restore(h.cr);
            return h.status();
        });
}

A_Err strokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
    return objectCall("StrokePath", surface, Kind::Surface, {name(pen), name(path)},
                      [&](Impl& h, Object&) -> A_Err {
                          const Object* q = h.find(pen, Kind::Pen);
                          const Object* p = h.find(path, Kind::Path);
                          if (q == nullptr || p == nullptr) {
                              return A_Err_PARAMETER;
                          }
                          cairo_save(h.cr);
                          replay(h.cr, p->segments);
                          cairo_set_line_width(h.cr, q->size);
                          setSource(h.cr, q->colour);
                          cairo_stroke(h.cr);
                          cairo_restore(h.cr);
                          return h.status();
                      });
}

A_Err clip(DRAWBOT_SurfaceRef surface, DRAWBOT_SupplierRef supplier, const DRAWBOT_Rect32* rect) {
    return objectCall("Clip", surface, Kind::Surface, {name(supplier), rectText(rect)},
                      [&](Impl& h, Object&) -> A_Err {
                          if (h.find(supplier, Kind::Supplier) == nullptr || rect == nullptr ||
                              rect->width < 0 || rect->height < 0) {
                              return A_Err_PARAMETER;
                          }
                          cairo_new_path(h.cr);
                          cairo_rectangle(h.cr, rect->left, rect->top, rect->width, rect->height);
                          cairo_clip(h.cr);
                          return h.status();
                      });
}

// The clip's extents in the current user space, widened to whole units.
void clipExtents(const Impl& h, double& x1, double& y1, double& x2, double& y2) {
    cairo_clip_extents(h.cr, &x1, &y1, &x2, &y2);
    // Kept within int range however far a transform has scaled user space.
    const double limit = 1 << 30;
    x1 = std::clamp(std::floor(x1), -limit, limit), y1 = std::clamp(std::floor(y1), -limit, limit);
    x2 = std::clamp(std::ceil(x2), -limit, limit), y2 = std::clamp(std::ceil(y2), -limit, limit);
}

// A query of the surface's state: `out` must be given.
template <typename Out, typename Answer>
A_Err surfaceQuery(const char* function, DRAWBOT_SurfaceRef surface, Out* out, Answer answer) {
    return objectCall(function, surface, Kind::Surface, {}, [&](Impl& h, Object&) -> A_Err {
        if (out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = answer(h);
        return A_Err_NONE;
    });
}

A_Err getClipBounds(DRAWBOT_SurfaceRef surface, DRAWBOT_Rect32* out) {
    return surfaceQuery("GetClipBounds", surface, out, [](const Impl& h) {
        double x1, y1, x2, y2;
        clipExtents(h, x1, y1, x2, y2);
        return DRAWBOT_Rect32{int(x1), int(y1), int(x2 - x1), int(y2 - y1)};
    });
}

// Whether the rectangle lies wholly inside the clip bounds.
A_Err isWithinClipBounds(DRAWBOT_SurfaceRef surface, const DRAWBOT_Rect32* rect,
                         DRAWBOT_Boolean* out) {
    return objectCall("IsWithinClipBounds", surface, Kind::Surface, {rectText(rect)},
                      [&](Impl& h, Object&) -> A_Err {
                          if (rect == nullptr || out == nullptr) {
                              return A_Err_PARAMETER;
                          }
                          double x1, y1, x2, y2;
                          clipExtents(h, x1, y1, x2, y2);
                          *out = rect->left >= x1 && rect->top >= y1 &&
                                 double(rect->left) + rect->width <= x2 &&
                                 double(rect->top) + rect->height <= y2;
                          return A_Err_NONE;
                      });
}

// Row-vector affine matrices: x' = x m00 + y m10 + m20, y' = x m01 + y m11 + m21.
A_Err transform(DRAWBOT_SurfaceRef surface, const DRAWBOT_MatrixF32* matrix) {
    std::string text = "null";
    if (matrix != nullptr) {
        const auto& m = matrix->mat;
        text = numbers(
            {m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]});
    }
    return objectCall("Transform", surface, Kind::Surface, {text}, [&](Impl& h, Object&) -> A_Err {
        if (matrix == nullptr) {
            return A_Err_PARAMETER;
        }
        const auto& m = matrix->mat;
        if (!finite({m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1],
                     m[2][2]}) ||
            m[0][2] != 0 || m[1][2] != 0 || m[2][2] == 0) {
            return A_Err_PARAMETER; // cairo draws with affine transforms only
        }
        const double w = m[2][2];
        cairo_matrix_t cm;
        cairo_matrix_init(&cm, m[0][0] / w, m[0][1] / w, m[1][0] / w, m[1][1] / w, m[2][0] / w,
                          m[2][1] / w);
        cairo_matrix_t inverse = cm;
        if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) {
            return A_Err_PARAMETER; // a singular matrix would break the context for good
        }
        cairo_transform(h.cr, &cm);
        return h.status();
    });
}
A_Err drawImage(DRAWBOT_SurfaceRef surface, DRAWBOT_ImageRef image, const DRAWBOT_PointF32* origin,
                float alpha) {
    return objectCall(
        "DrawImage", surface, Kind::Surface, {name(image), pointText(origin), number(alpha)},
        [&](Impl& h, Object&) -> A_Err {
            const Object* i = h.find(image, Kind::Image);
            if (i == nullptr || origin == nullptr || !finite({origin->x, origin->y, alpha})) {
                return A_Err_PARAMETER;
            }
            cairo_t* cr = h.cr;
            cairo_save(cr);
            cairo_new_path(cr);
            cairo_rectangle(cr, origin->x, origin->y, cairo_image_surface_get_width(i->image),
                            cairo_image_surface_get_height(i->image));
            cairo_clip(cr);
            cairo_set_source_surface(cr, i->image, origin->x, origin->y);
            cairo_pattern_set_filter(cairo_get_source(cr),
                                     cairoFilter(h.states.back().interpolation));
            cairo_paint_with_alpha(cr, std::clamp(alpha, 0.0f, 1.0f));
            cairo_restore(cr);
            return h.status();
        });
}

// Sets one of the policies kept with the state stack; `apply` hands it on to cairo.
template <typename Policy, typename Apply>
A_Err setPolicy(const char* function, DRAWBOT_SurfaceRef surface, Policy policy, bool known,
                Policy State::*kept, Apply apply) {
    return objectCall(function, surface, Kind::Surface, {std::to_string(policy)},
                      [&](Impl& h, Object&) -> A_Err {
                          if (!known) {
                              return A_Err_PARAMETER;
                          }
                          h.states.back().*kept = policy;
                          apply(h.cr, policy);
                          return A_Err_NONE;
                      });
}

A_Err setInterpolationPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_InterpolationPolicy policy) {
    // Taken up by each image drawn.
    return setPolicy("SetInterpolationPolicy", surface, policy,
                     policy >= kDRAWBOT_InterpolationPolicy_None &&
                         policy <= kDRAWBOT_InterpolationPolicy_High,
                     &State::interpolation, [](cairo_t*, DRAWBOT_InterpolationPolicy) {});
}

A_Err getInterpolationPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_InterpolationPolicy* out) {
    return surfaceQuery("GetInterpolationPolicy", surface, out,
                        [](const Impl& h) { return h.states.back().interpolation; });
}

A_Err setAntiAliasPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_AntiAliasPolicy policy) {
    return setPolicy(
        "SetAntiAliasPolicy", surface, policy,
        policy >= kDRAWBOT_AntiAliasPolicy_None && policy <= kDRAWBOT_AntiAliasPolicy_High,
        &State::antiAlias,
        [](cairo_t* cr, DRAWBOT_AntiAliasPolicy p) { cairo_set_antialias(cr, cairoAntiAlias(p)); });
}

A_Err getAntiAliasPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_AntiAliasPolicy* out) {
    return surfaceQuery("GetAntiAliasPolicy", surface, out,
                        [](const Impl& h) { return h.states.back().antiAlias; });
}

A_Err flush(DRAWBOT_SurfaceRef surface) {
    return objectCall("Flush", surface, Kind::Surface, {}, [](Impl& h, Object&) {
        cairo_surface_flush(h.surface);
        return h.status();
    });
}

// The surface is the screen's own pixels: no high-density scaling.
A_Err getTransformToScreenScale(DRAWBOT_SurfaceRef surface, float* out) {
    return surfaceQuery("GetTransformToScreenScale", surface, out,
                        [](const Impl&) { return 1.0f; });
}

} // namespace

void setSource(cairo_t* cr, const DRAWBOT_ColorRGBA& c) {
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
}

cairo_antialias_t cairoAntiAlias(DRAWBOT_AntiAliasPolicy policy) {
    switch (policy) {
    case kDRAWBOT_AntiAliasPolicy_None:
        return CAIRO_ANTIALIAS_NONE;
    case kDRAWBOT_AntiAliasPolicy_High:
        return CAIRO_ANTIALIAS_BEST;
    default:
        return CAIRO_ANTIALIAS_DEFAULT;
    }
}

DRAWBOT_SurfaceSuite2 makeSurfaceSuite() {
    return {pushStateStack,
            popStateStack,
            paintRect,
            fillPath,
            strokePath,
            clip,
            getClipBounds,
            isWithinClipBounds,
            transform,
            drawString,
            drawImage,
            setInterpolationPolicy,
            getInterpolationPolicy,
            setAntiAliasPolicy,
            getAntiAliasPolicy,
            flush,
            getTransformToScreenScale};
}

} // namespace drawbot
} // namespace Kelvane::Neon::Host
