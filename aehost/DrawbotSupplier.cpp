// The Draw suite (the supplier and surface of a draw reference) and the Supplier suite (pens,
// brushes, fonts, images and paths, counted by reference).
#include "DrawbotState.h"

#include <algorithm>
#include <cstdint>

namespace aehost {
namespace drawbot {
namespace {

constexpr float kDefaultFontSize = 12.0f;

// Builds a premultiplied cairo image from pixels in one of the Drawbot layouts.
cairo_surface_t* imageFrom(int width, int height, int rowBytes, DRAWBOT_PixelLayout layout,
                           const std::uint8_t* data) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    const int bytes = layout <= kDRAWBOT_PixelLayout_24BGR ? 3 : 4;
    const bool straight = layout == kDRAWBOT_PixelLayout_32ARGB_Straight ||
                          layout == kDRAWBOT_PixelLayout_32BGRA_Straight ||
                          layout < kDRAWBOT_PixelLayout_32ARGB_Straight;
    std::uint8_t* out = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data + std::size_t(y) * std::size_t(rowBytes);
        auto* dst = reinterpret_cast<std::uint32_t*>(out + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = row + x * bytes;
            unsigned r, g, b, a = 255;
            switch (layout) {
            case kDRAWBOT_PixelLayout_24RGB:
                r = p[0], g = p[1], b = p[2];
                break;
            case kDRAWBOT_PixelLayout_24BGR:
                b = p[0], g = p[1], r = p[2];
                break;
            case kDRAWBOT_PixelLayout_32RGB: // the first byte is unused
                r = p[1], g = p[2], b = p[3];
                break;
            case kDRAWBOT_PixelLayout_32BGR: // the last byte is unused
                b = p[0], g = p[1], r = p[2];
                break;
            case kDRAWBOT_PixelLayout_32ARGB_Straight:
            case kDRAWBOT_PixelLayout_32ARGB_Premul:
                a = p[0], r = p[1], g = p[2], b = p[3];
                break;
            default:
                b = p[0], g = p[1], r = p[2], a = p[3];
                break;
            }
            if (straight) {
                r = (r * a + 127) / 255, g = (g * a + 127) / 255, b = (b * a + 127) / 255;
            } else {
                // Colour above its alpha is not premultiplied data; keep cairo's invariant.
                r = std::min(r, a), g = std::min(g, a), b = std::min(b, a);
            }
            dst[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(image);
    return image;
}

// Draw suite

A_Err getSupplier(DRAWBOT_DrawRef drawRef, DRAWBOT_SupplierRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("GetSupplier", {h->name(drawRef)})) {
        return err;
    }
    if (drawRef != reinterpret_cast<DRAWBOT_DrawRef>(&h->drawRecord) || out == nullptr) {
        return A_Err_PARAMETER;
    }
    *out = ref(h->supplier);
    return A_Err_NONE;
}

A_Err getSurface(DRAWBOT_DrawRef drawRef, DRAWBOT_SurfaceRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("GetSurface", {h->name(drawRef)})) {
        return err;
    }
    if (drawRef != reinterpret_cast<DRAWBOT_DrawRef>(&h->drawRecord) || out == nullptr) {
        return A_Err_PARAMETER;
    }
    *out = ref(h->surfaceObject);
    return A_Err_NONE;
}

// Supplier suite

A_Err newPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour, float size,
             DRAWBOT_PenRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("NewPen", {h->name(supplier), colourText(colour), number(size)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || !validColour(colour) || !finite({size}) ||
        size < 0 || out == nullptr) {
        return A_Err_PARAMETER;
    }
    Object* pen = h->make(Kind::Pen);
    pen->colour = *colour;
    pen->size = size;
    *out = ref(pen);
    return A_Err_NONE;
}

A_Err newBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour,
               DRAWBOT_BrushRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("NewBrush", {h->name(supplier), colourText(colour)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || !validColour(colour) || out == nullptr) {
        return A_Err_PARAMETER;
    }
    Object* brush = h->make(Kind::Brush);
    brush->colour = *colour;
    *out = ref(brush);
    return A_Err_NONE;
}

// The yes/no queries of the supplier share their shape.
A_Err answer(const char* function, DRAWBOT_SupplierRef supplier, bool value, DRAWBOT_Boolean* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter(function, {h->name(supplier)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || out == nullptr) {
        return A_Err_PARAMETER;
    }
    *out = value;
    return A_Err_NONE;
}
A_Err supportsText(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer("SupportsText", s, true, out);
}
// cairo keeps 32-bit pixels in native order: B, G, R, A in memory here.
A_Err supportsBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer("SupportsPixelLayoutBGRA", s, true, out);
}
A_Err prefersBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer("PrefersPixelLayoutBGRA", s, true, out);
}
A_Err supportsARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer("SupportsPixelLayoutARGB", s, true, out);
}
A_Err prefersARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer("PrefersPixelLayoutARGB", s, false, out);
}

A_Err getDefaultFontSize(DRAWBOT_SupplierRef supplier, float* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("GetDefaultFontSize", {h->name(supplier)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || out == nullptr) {
        return A_Err_PARAMETER;
    }
    *out = kDefaultFontSize;
    return A_Err_NONE;
}

A_Err newDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("NewDefaultFont", {h->name(supplier), number(size)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || !finite({size}) || size <= 0 ||
        out == nullptr) {
        return A_Err_PARAMETER;
    }
    Object* font = h->make(Kind::Font);
    font->size = size;
    *out = ref(font);
    return A_Err_NONE;
}

A_Err newImageFromBuffer(DRAWBOT_SupplierRef supplier, int width, int height, int rowBytes,
                         DRAWBOT_PixelLayout layout, const void* data, DRAWBOT_ImageRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("NewImageFromBuffer",
                             {h->name(supplier), std::to_string(width), std::to_string(height),
                              std::to_string(rowBytes), std::to_string(layout),
                              data == nullptr ? "null" : "data"})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || data == nullptr || out == nullptr ||
        layout < kDRAWBOT_PixelLayout_24RGB || layout > kDRAWBOT_PixelLayout_32BGRA_Premul ||
        width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return A_Err_PARAMETER;
    }
    const int bytes = layout <= kDRAWBOT_PixelLayout_24BGR ? 3 : 4;
    if (rowBytes < width * bytes) {
        return A_Err_PARAMETER;
    }
    cairo_surface_t* pixels =
        imageFrom(width, height, rowBytes, layout, static_cast<const std::uint8_t*>(data));
    if (pixels == nullptr) {
        return A_Err_ALLOC;
    }
    Object* image = h->make(Kind::Image);
    image->image = pixels;
    *out = ref(image);
    return A_Err_NONE;
}

A_Err newPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* out) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("NewPath", {h->name(supplier)})) {
        return err;
    }
    if (h->find(supplier, Kind::Supplier) == nullptr || out == nullptr) {
        return A_Err_PARAMETER;
    }
    *out = ref(h->make(Kind::Path));
    return A_Err_NONE;
}

A_Err retainObject(DRAWBOT_ObjectRef object) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("RetainObject", {h->name(object)})) {
        return err;
    }
    Object* o = h->any(object);
    if (o == nullptr || !o->live()) {
        return A_Err_PARAMETER;
    }
    ++o->refs;
    return A_Err_NONE;
}

A_Err releaseObject(DRAWBOT_ObjectRef object) {
    Impl* h = host();
    if (h == nullptr) {
        return A_Err_GENERIC;
    }
    if (A_Err err = h->enter("ReleaseObject", {h->name(object)})) {
        return err;
    }
    Object* o = h->any(object);
    if (o == nullptr || !o->live() || (o->hostOwned && o->refs == 1)) {
        return A_Err_PARAMETER;
    }
    if (--o->refs == 0) {
        o->segments = {};
        if (o->image != nullptr) {
            cairo_surface_destroy(o->image);
            o->image = nullptr;
        }
    }
    return A_Err_NONE;
}

} // namespace

DRAWBOT_DrawbotSuite1 makeDrawSuite() {
    return {getSupplier, getSurface};
}

DRAWBOT_SupplierSuite1 makeSupplierSuite() {
    return {newPen,         newBrush,           supportsText, getDefaultFontSize,
            newDefaultFont, newImageFromBuffer, newPath,      supportsBGRA,
            prefersBGRA,    supportsARGB,       prefersARGB,  retainObject,
            releaseObject};
}

} // namespace drawbot
} // namespace aehost
