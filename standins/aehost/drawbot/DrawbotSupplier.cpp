// The Draw suite (the supplier and surface of a draw reference) and the Supplier suite (pens,
// brushes, fonts, images and paths, counted by reference).
#include "standins/aehost/drawbot/DrawbotState.h"

#include <algorithm>
#include <cstdint>

namespace Kelvane::Neon::Host {
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

// The supplier or the surface of the draw reference.
template <typename Ref>
A_Err drawRefPart(const char* function, DRAWBOT_DrawRef drawRef, Object* Impl::*part, Ref* out) {
    return suiteCall(function, {name(drawRef)}, [&](Impl& h) -> A_Err {
        if (drawRef != reinterpret_cast<DRAWBOT_DrawRef>(&h.drawRecord) || out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = ref(h.*part);
        return A_Err_NONE;
    });
}

A_Err getSupplier(DRAWBOT_DrawRef drawRef, DRAWBOT_SupplierRef* out) {
    return drawRefPart("GetSupplier", drawRef, &Impl::supplier, out);
}

A_Err getSurface(DRAWBOT_DrawRef drawRef, DRAWBOT_SurfaceRef* out) {
    return drawRefPart("GetSurface", drawRef, &Impl::surfaceObject, out);
}

// Supplier suite

// Makes an object of `kind` from the supplier; `made` fills it in.
template <typename Out, typename Made>
A_Err supply(const char* function, DRAWBOT_SupplierRef supplier, std::vector<std::string> more,
             bool valid, Kind kind, Out* out, Made made) {
    return objectCall(function, supplier, Kind::Supplier, std::move(more),
                      [&](Impl& h, Object&) -> A_Err {
                          if (!valid || out == nullptr) {
                              return A_Err_PARAMETER;
                          }
                          Object* o = h.make(kind);
                          made(*o);
                          *out = ref(o);
                          return A_Err_NONE;
                      });
}

A_Err newPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour, float size,
             DRAWBOT_PenRef* out) {
    return supply("NewPen", supplier, {colourText(colour), number(size)},
                  validColour(colour) && finite({size}) && size >= 0, Kind::Pen, out,
                  [&](Object& pen) {
                      pen.colour = *colour;
                      pen.size = size;
                  });
}

A_Err newBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour,
               DRAWBOT_BrushRef* out) {
    return supply("NewBrush", supplier, {colourText(colour)}, validColour(colour), Kind::Brush, out,
                  [&](Object& brush) { brush.colour = *colour; });
}

// The supplier's queries share their shape.
template <typename Value>
A_Err answer(const char* function, DRAWBOT_SupplierRef supplier, Value value, Value* out) {
    return objectCall(function, supplier, Kind::Supplier, {}, [&](Impl&, Object&) -> A_Err {
        if (out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = value;
        return A_Err_NONE;
    });
}
A_Err supportsText(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer<DRAWBOT_Boolean>("SupportsText", s, true, out);
}
// cairo keeps 32-bit pixels in native order: B, G, R, A in memory here.
A_Err supportsBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer<DRAWBOT_Boolean>("SupportsPixelLayoutBGRA", s, true, out);
}
A_Err prefersBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer<DRAWBOT_Boolean>("PrefersPixelLayoutBGRA", s, true, out);
}
A_Err supportsARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer<DRAWBOT_Boolean>("SupportsPixelLayoutARGB", s, true, out);
}
A_Err prefersARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
    return answer<DRAWBOT_Boolean>("PrefersPixelLayoutARGB", s, false, out);
}

A_Err getDefaultFontSize(DRAWBOT_SupplierRef supplier, float* out) {
    return answer("GetDefaultFontSize", supplier, kDefaultFontSize, out);
}

A_Err newDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* out) {
    return supply("NewDefaultFont", supplier, {number(size)}, finite({size}) && size > 0,
                  Kind::Font, out, [&](Object& font) { font.size = size; });
}

A_Err newImageFromBuffer(DRAWBOT_SupplierRef supplier, int width, int height, int rowBytes,
                         DRAWBOT_PixelLayout layout, const void* data, DRAWBOT_ImageRef* out) {
    return objectCall(
        "NewImageFromBuffer", supplier, Kind::Supplier,
        {std::to_string(width), std::to_string(height), std::to_string(rowBytes),
         std::to_string(layout), data == nullptr ? "null" : "data"},
        [&](Impl& h, Object&) -> A_Err {
            if (data == nullptr || out == nullptr || layout < kDRAWBOT_PixelLayout_24RGB ||
                layout > kDRAWBOT_PixelLayout_32BGRA_Premul || width <= 0 || height <= 0 ||
                width > kMaxSide || height > kMaxSide) {
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
            Object* image = h.make(Kind::Image);
            image->image = pixels;
            *out = ref(image);
            return A_Err_NONE;
        });
}

A_Err newPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* out) {
    return supply("NewPath", supplier, {}, true, Kind::Path, out, [](Object&) {});
}

A_Err retainObject(DRAWBOT_ObjectRef object) {
    return suiteCall("RetainObject", {name(object)}, [&](Impl& h) -> A_Err {
        Object* o = h.any(object);
        if (o == nullptr || !o->live()) {
            return A_Err_PARAMETER;
        }
        ++o->refs;
        return A_Err_NONE;
    });
}

A_Err releaseObject(DRAWBOT_ObjectRef object) {
    return suiteCall("ReleaseObject", {name(object)}, [&](Impl& h) -> A_Err {
        Object* o = h.any(object);
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
    });
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
} // namespace Kelvane::Neon::Host
