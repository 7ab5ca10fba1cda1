#include "standins/aehost/drawbot/DrawbotState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace Kelvane::Neon::Host {
namespace drawbot {
namespace {

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Supplier:
        return "supplier";
    case Kind::Surface:
        return "surface";
    case Kind::Pen:
        return "pen";
    case Kind::Brush:
        return "brush";
    case Kind::Font:
        return "font";
    case Kind::Path:
        return "path";
    case Kind::Image:
        return "image";
    default:
        return "object";
    }
}

const char* windowName(PF_WindowType type) {
    switch (type) {
    case PF_Window_NONE:
        return "none";
    case PF_Window_COMP:
        return "comp";
    case PF_Window_LAYER:
        return "layer";
    case PF_Window_EFFECT:
        return "effect";
    case PF_Window_PREVIEW:
        return "preview";
    default:
        return "window";
    }
}

} // namespace

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

std::string numbers(std::initializer_list<double> values) {
    std::string text;
    for (double v : values) {
        text += (text.empty() ? "" : ",") + number(v);
    }
    return text;
}

std::string colourText(const DRAWBOT_ColorRGBA* c) {
    return c == nullptr ? "null" : numbers({c->red, c->green, c->blue, c->alpha});
}
std::string pointText(const DRAWBOT_PointF32* p) {
    return p == nullptr ? "null" : numbers({p->x, p->y});
}
std::string rectText(const DRAWBOT_RectF32* r) {
    return r == nullptr ? "null" : numbers({r->left, r->top, r->width, r->height});
}
std::string rectText(const DRAWBOT_Rect32* r) {
    return r == nullptr
               ? "null"
               : numbers({double(r->left), double(r->top), double(r->width), double(r->height)});
}

bool finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}
bool validColour(const DRAWBOT_ColorRGBA* c) {
    return c != nullptr && finite({c->red, c->green, c->blue, c->alpha});
}

} // namespace drawbot

DrawbotHost::Impl::Impl(int w, int h) : width(w), height(h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        throw std::runtime_error("DrawbotHost: cannot make a " + std::to_string(w) + "x" +
                                 std::to_string(h) + " drawing surface");
    }
    states.push_back({kDRAWBOT_AntiAliasPolicy_Med, kDRAWBOT_InterpolationPolicy_Med});
    cairo_set_antialias(cr, drawbot::cairoAntiAlias(states.back().antiAlias));
    supplier = make(Kind::Supplier);
    supplier->hostOwned = true;
    surfaceObject = make(Kind::Surface);
    surfaceObject->hostOwned = true;
}

DrawbotHost::Impl::~Impl() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

drawbot::Object* DrawbotHost::Impl::make(Kind kind) {
    objects.push_back(std::make_unique<Object>());
    Object* o = objects.back().get();
    o->kind = kind;
    o->id = ++nextId[int(kind)];
    index[o] = o;
    return o;
}

std::string DrawbotHost::Impl::name(const void* ref) const {
    if (ref == nullptr) {
        return "null";
    }
    if (ref == &drawRecord) {
        return "drawref";
    }
    const Object* o = any(ref);
    if (o == nullptr) {
        return "unknown";
    }
    if (o->hostOwned) {
        return drawbot::kindName(o->kind);
    }
    return std::string(drawbot::kindName(o->kind)) + "#" + std::to_string(o->id);
}

std::string DrawbotHost::Impl::contextName(PF_ContextH contextH) const {
    if (contextH == nullptr) {
        return "null";
    }
    const drawbot::ContextSlot* slot = contextSlot(contextH);
    return slot == nullptr ? "unknown" : drawbot::windowName(slot->context.w_type);
}

const drawbot::ContextSlot* DrawbotHost::Impl::contextSlot(PF_ContextH contextH) const {
    for (const auto& entry : contexts) {
        const drawbot::ContextSlot& slot = *entry.second;
        if (contextH == &slot.pointer && slot.pointer == &slot.context) {
            return &slot;
        }
    }
    return nullptr;
}

} // namespace Kelvane::Neon::Host
