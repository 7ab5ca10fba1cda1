#include "DrawbotHost.h"

#include "ActiveInstance.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <map>
#include <memory>
#include <stdexcept>
#include <unistd.h>
#include <unordered_map>

namespace aehost {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kDefaultFontSize = 12.0f;
// cairo's image surfaces are limited to this many pixels a side.
constexpr int kMaxSide = 32767;
const char* const kEllipsis = "\xE2\x80\xA6";

enum class Kind { Supplier, Surface, Pen, Brush, Font, Path, Image, Count };

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

struct Segment {
    enum Op { Move, Line, Curve, Rect, Arc, Close } op;
    float v[6];
};

struct Object {
    Kind kind;
    int id;
    int refs = 1;
    // The supplier and the surface belong to the draw reference: their first reference is the
    // host's, so an effect cannot release them away.
    bool hostOwned = false;
    DRAWBOT_ColorRGBA colour{};
    float size = 0; // a pen's width, a font's size
    std::vector<Segment> segments;
    cairo_surface_t* image = nullptr;

    ~Object() {
        if (image != nullptr) {
            cairo_surface_destroy(image);
        }
    }
    bool live() const { return refs > 0; }
};

struct DrawRecord {
    int tag;
};

struct ContextSlot {
    PF_Context context;
    PF_Context* pointer;
};

// What PushStateStack saves besides cairo's own state.
struct State {
    DRAWBOT_AntiAliasPolicy antiAlias;
    DRAWBOT_InterpolationPolicy interpolation;
};

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

// UTF-16 to code points; unpaired surrogates become U+FFFD.
std::vector<char32_t> codePoints(const DRAWBOT_UTF16Char* s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; s[i] != 0; ++i) {
        const char32_t u = s[i];
        if (u >= 0xD800 && u < 0xDC00 && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(u);
        }
    }
    return out;
}

std::string utf8(const std::vector<char32_t>& cps, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        const char32_t c = cps[i];
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// The text as drawn: with an ellipsis truncation and a positive width, the longest shortening
// that fits (nothing at all when not even the ellipsis fits).
std::string fitted(cairo_t* cr, const std::vector<char32_t>& cps, DRAWBOT_TextTruncation style,
                   float width) {
    const std::size_t n = cps.size();
    std::string whole = utf8(cps, 0, n);
    if (style == kDRAWBOT_TextTruncation_None || !(width > 0) || advance(cr, whole) <= width) {
        return whole;
    }
    // Keeping `keep` characters: from the start, or split around the middle for paths, where
    // both the root and the file name matter.
    auto shortened = [&](std::size_t keep) {
        std::size_t head = keep, tail = 0;
        if (style == kDRAWBOT_TextTruncation_PathEllipsis) {
            head = (keep + 1) / 2;
            tail = keep / 2;
        }
        while (head > 0 && cps[head - 1] == U' ') {
            --head;
        }
        return utf8(cps, 0, head) + kEllipsis + utf8(cps, n - tail, n);
    };
    // Widths grow with the characters kept: search the most that fit.
    std::size_t lo = 0, hi = n - 1;
    if (advance(cr, shortened(0)) > width) {
        return std::string();
    }
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (advance(cr, shortened(mid)) <= width) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return shortened(lo);
}

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

struct DrawbotHost::Impl {
    Impl(int w, int h) : width(w), height(h) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cr = cairo_create(surface);
        if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
            cairo_destroy(cr);
            cairo_surface_destroy(surface);
            throw std::runtime_error("DrawbotHost: cannot make a " + std::to_string(w) + "x" +
                                     std::to_string(h) + " drawing surface");
        }
        states.push_back({kDRAWBOT_AntiAliasPolicy_Med, kDRAWBOT_InterpolationPolicy_Med});
        cairo_set_antialias(cr, cairoAntiAlias(states.back().antiAlias));
        supplier = make(Kind::Supplier);
        supplier->hostOwned = true;
        surfaceObject = make(Kind::Surface);
        surfaceObject->hostOwned = true;
    }
    ~Impl() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }

    Object* make(Kind kind) {
        objects.push_back(std::make_unique<Object>());
        Object* o = objects.back().get();
        o->kind = kind;
        o->id = ++nextId[int(kind)];
        index[o] = o;
        return o;
    }

    // A live object of `kind` this host made, or null. Released records are kept (without
    // their pixels) so a stale reference is recognised rather than followed.
    Object* find(const void* ref, Kind kind) const {
        Object* o = any(ref);
        return o != nullptr && o->kind == kind && o->live() ? o : nullptr;
    }
    Object* any(const void* ref) const {
        const auto found = index.find(ref);
        return found == index.end() ? nullptr : found->second;
    }

    std::string name(const void* ref) const {
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
            return kindName(o->kind);
        }
        return std::string(kindName(o->kind)) + "#" + std::to_string(o->id);
    }

    std::string contextName(PF_ContextH contextH) const {
        if (contextH == nullptr) {
            return "null";
        }
        const ContextSlot* slot = contextSlot(contextH);
        return slot == nullptr ? "unknown" : windowName(slot->context.w_type);
    }
    const ContextSlot* contextSlot(PF_ContextH contextH) const {
        for (const auto& entry : contexts) {
            const ContextSlot& slot = *entry.second;
            if (contextH == &slot.pointer && slot.pointer == &slot.context) {
                return &slot;
            }
        }
        return nullptr;
    }

    // Records the call; answers the error it was told to fail with, if any.
    A_Err enter(const char* function, std::vector<std::string> args) {
        calls.push_back({function, std::move(args)});
        const auto failing = failures.find(function);
        return failing == failures.end() ? A_Err_NONE : failing->second;
    }

    // Whether cairo is still usable after an operation; inputs are checked beforehand so this
    // only trips on exhausted memory.
    A_Err status() const {
        return cairo_status(cr) == CAIRO_STATUS_SUCCESS ? A_Err_NONE : A_Err_GENERIC;
    }

    int width, height;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;

    DRAWBOT_DrawbotSuite1 drawSuite{};
    DRAWBOT_SupplierSuite1 supplierSuite{};
    DRAWBOT_SurfaceSuite2 surfaceSuite{};
    DRAWBOT_PathSuite1 pathSuite{};
    PF_EffectCustomUISuite1 customUISuite{};
    PF_AppSuite6 appSuite{};

    DrawRecord drawRecord{0};
    std::vector<std::unique_ptr<Object>> objects;
    std::unordered_map<const void*, Object*> index;
    int nextId[int(Kind::Count)] = {};
    Object* supplier = nullptr;
    Object* surfaceObject = nullptr;
    std::vector<State> states;
    std::map<PF_WindowType, std::unique_ptr<ContextSlot>> contexts;

    std::vector<DrawbotCall> calls;
    std::map<std::string, A_Err> failures;
};

// The suites' C functions, finding their host through the active instance.
struct DrawbotAccess {
    using Impl = DrawbotHost::Impl;

    static DrawbotHost* self() { return ActiveInstance<DrawbotHost>::get(); }
    static Impl* host() {
        DrawbotHost* h = self();
        return h == nullptr ? nullptr : h->impl_;
    }
    static DRAWBOT_ObjectRef ref(Object* o) { return reinterpret_cast<DRAWBOT_ObjectRef>(o); }

    // Draw suite

    static A_Err getSupplier(DRAWBOT_DrawRef drawRef, DRAWBOT_SupplierRef* out) {
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

    static A_Err getSurface(DRAWBOT_DrawRef drawRef, DRAWBOT_SurfaceRef* out) {
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

    static A_Err newPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour, float size,
                        DRAWBOT_PenRef* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("NewPen", {h->name(supplier), colourText(colour), number(size)})) {
            return err;
        }
        if (h->find(supplier, Kind::Supplier) == nullptr || !validColour(colour) ||
            !finite({size}) || size < 0 || out == nullptr) {
            return A_Err_PARAMETER;
        }
        Object* pen = h->make(Kind::Pen);
        pen->colour = *colour;
        pen->size = size;
        *out = ref(pen);
        return A_Err_NONE;
    }

    static A_Err newBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour,
                          DRAWBOT_BrushRef* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("NewBrush", {h->name(supplier), colourText(colour)})) {
            return err;
        }
        if (h->find(supplier, Kind::Supplier) == nullptr || !validColour(colour) ||
            out == nullptr) {
            return A_Err_PARAMETER;
        }
        Object* brush = h->make(Kind::Brush);
        brush->colour = *colour;
        *out = ref(brush);
        return A_Err_NONE;
    }

    // The yes/no queries of the supplier share their shape.
    static A_Err answer(const char* function, DRAWBOT_SupplierRef supplier, bool value,
                        DRAWBOT_Boolean* out) {
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
    static A_Err supportsText(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
        return answer("SupportsText", s, true, out);
    }
    // cairo keeps 32-bit pixels in native order: B, G, R, A in memory here.
    static A_Err supportsBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
        return answer("SupportsPixelLayoutBGRA", s, true, out);
    }
    static A_Err prefersBGRA(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
        return answer("PrefersPixelLayoutBGRA", s, true, out);
    }
    static A_Err supportsARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
        return answer("SupportsPixelLayoutARGB", s, true, out);
    }
    static A_Err prefersARGB(DRAWBOT_SupplierRef s, DRAWBOT_Boolean* out) {
        return answer("PrefersPixelLayoutARGB", s, false, out);
    }

    static A_Err getDefaultFontSize(DRAWBOT_SupplierRef supplier, float* out) {
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

    static A_Err newDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* out) {
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

    static A_Err newImageFromBuffer(DRAWBOT_SupplierRef supplier, int width, int height,
                                    int rowBytes, DRAWBOT_PixelLayout layout, const void* data,
                                    DRAWBOT_ImageRef* out) {
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

    static A_Err newPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* out) {
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

    static A_Err retainObject(DRAWBOT_ObjectRef object) {
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

    static A_Err releaseObject(DRAWBOT_ObjectRef object) {
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

    // Path suite

    // Records the call with `args` (after the path); appends `segment` when the path is live
    // and `valid` holds.
    static A_Err addSegment(const char* function, DRAWBOT_PathRef path,
                            std::vector<std::string> args, bool valid, const Segment& segment) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        args.insert(args.begin(), h->name(path));
        if (A_Err err = h->enter(function, std::move(args))) {
            return err;
        }
        Object* p = h->find(path, Kind::Path);
        if (p == nullptr || !valid) {
            return A_Err_PARAMETER;
        }
        p->segments.push_back(segment);
        return A_Err_NONE;
    }

    // A non-finite coordinate would put cairo's context into a lasting error state, so none is
    // taken into a path.
    static A_Err moveTo(DRAWBOT_PathRef path, float x, float y) {
        return addSegment("MoveTo", path, {number(x), number(y)}, finite({x, y}),
                          {Segment::Move, {x, y}});
    }
    static A_Err lineTo(DRAWBOT_PathRef path, float x, float y) {
        return addSegment("LineTo", path, {number(x), number(y)}, finite({x, y}),
                          {Segment::Line, {x, y}});
    }
    static A_Err bezierTo(DRAWBOT_PathRef path, float x1, float y1, float x2, float y2, float x3,
                          float y3) {
        return addSegment("BezierTo", path,
                          {number(x1), number(y1), number(x2), number(y2), number(x3), number(y3)},
                          finite({x1, y1, x2, y2, x3, y3}),
                          {Segment::Curve, {x1, y1, x2, y2, x3, y3}});
    }

    static A_Err addRect(DRAWBOT_PathRef path, const DRAWBOT_RectF32* rect) {
        const DRAWBOT_RectF32 r = rect == nullptr ? DRAWBOT_RectF32{} : *rect;
        return addSegment("AddRect", path, {rectText(rect)},
                          rect != nullptr && finite({r.left, r.top, r.width, r.height}),
                          {Segment::Rect, {r.left, r.top, r.width, r.height}});
    }

    static A_Err addArc(DRAWBOT_PathRef path, const DRAWBOT_PointF32* centre, float radius,
                        float start, float sweep) {
        const DRAWBOT_PointF32 c = centre == nullptr ? DRAWBOT_PointF32{} : *centre;
        return addSegment(
            "AddArc", path, {pointText(centre), number(radius), number(start), number(sweep)},
            centre != nullptr && finite({c.x, c.y, radius, start, sweep}) && radius >= 0,
            {Segment::Arc, {c.x, c.y, radius, start, sweep}});
    }

    static A_Err close(DRAWBOT_PathRef path) {
        return addSegment("Close", path, {}, true, {Segment::Close, {}});
    }

    // Surface suite

    static A_Err pushStateStack(DRAWBOT_SurfaceRef surface) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("PushStateStack", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr) {
            return A_Err_PARAMETER;
        }
        cairo_save(h->cr);
        h->states.push_back(h->states.back());
        return h->status();
    }

    static A_Err popStateStack(DRAWBOT_SurfaceRef surface) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("PopStateStack", {h->name(surface)})) {
            return err;
        }
        // An unmatched restore would leave cairo's context unusable for good.
        if (h->find(surface, Kind::Surface) == nullptr || h->states.size() < 2) {
            return A_Err_PARAMETER;
        }
        cairo_restore(h->cr);
        h->states.pop_back();
        return h->status();
    }

    static A_Err paintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA* colour,
                           const DRAWBOT_RectF32* rect) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err =
                h->enter("PaintRect", {h->name(surface), colourText(colour), rectText(rect)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || !validColour(colour) || rect == nullptr ||
            !finite({rect->left, rect->top, rect->width, rect->height})) {
            return A_Err_PARAMETER;
        }
        cairo_save(h->cr);
        cairo_rectangle(h->cr, rect->left, rect->top, rect->width, rect->height);
        setSource(h->cr, *colour);
        cairo_fill(h->cr);
        cairo_restore(h->cr);
        return h->status();
    }

    static A_Err fillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
                          DRAWBOT_FillType fillType) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("FillPath", {h->name(surface), h->name(brush), h->name(path),
                                              std::to_string(fillType)})) {
            return err;
        }
        const Object* b = h->find(brush, Kind::Brush);
        const Object* p = h->find(path, Kind::Path);
        if (h->find(surface, Kind::Surface) == nullptr || b == nullptr || p == nullptr ||
            (fillType != kDRAWBOT_FillType_EvenOdd && fillType != kDRAWBOT_FillType_Winding)) {
            return A_Err_PARAMETER;
        }
        cairo_save(h->cr);
        replay(h->cr, p->segments);
        cairo_set_fill_rule(h->cr, fillType == kDRAWBOT_FillType_EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                         : CAIRO_FILL_RULE_WINDING);
        setSource(h->cr, b->colour);
        cairo_fill(h->cr);
        cairo_restore(h->cr);
        return h->status();
    }

    static A_Err strokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("StrokePath", {h->name(surface), h->name(pen), h->name(path)})) {
            return err;
        }
        const Object* q = h->find(pen, Kind::Pen);
        const Object* p = h->find(path, Kind::Path);
        if (h->find(surface, Kind::Surface) == nullptr || q == nullptr || p == nullptr) {
            return A_Err_PARAMETER;
        }
        cairo_save(h->cr);
        replay(h->cr, p->segments);
        cairo_set_line_width(h->cr, q->size);
        setSource(h->cr, q->colour);
        cairo_stroke(h->cr);
        cairo_restore(h->cr);
        return h->status();
    }

    static A_Err clip(DRAWBOT_SurfaceRef surface, DRAWBOT_SupplierRef supplier,
                      const DRAWBOT_Rect32* rect) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("Clip", {h->name(surface), h->name(supplier), rectText(rect)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr ||
            h->find(supplier, Kind::Supplier) == nullptr || rect == nullptr || rect->width < 0 ||
            rect->height < 0) {
            return A_Err_PARAMETER;
        }
        cairo_new_path(h->cr);
        cairo_rectangle(h->cr, rect->left, rect->top, rect->width, rect->height);
        cairo_clip(h->cr);
        return h->status();
    }

    // The clip's extents in the current user space, widened to whole units.
    static void clipExtents(Impl* h, double& x1, double& y1, double& x2, double& y2) {
        cairo_clip_extents(h->cr, &x1, &y1, &x2, &y2);
        // Kept within int range however far a transform has scaled user space.
        const double limit = 1 << 30;
        x1 = std::clamp(std::floor(x1), -limit, limit),
        y1 = std::clamp(std::floor(y1), -limit, limit);
        x2 = std::clamp(std::ceil(x2), -limit, limit),
        y2 = std::clamp(std::ceil(y2), -limit, limit);
    }

    static A_Err getClipBounds(DRAWBOT_SurfaceRef surface, DRAWBOT_Rect32* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("GetClipBounds", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || out == nullptr) {
            return A_Err_PARAMETER;
        }
        double x1, y1, x2, y2;
        clipExtents(h, x1, y1, x2, y2);
        *out = {int(x1), int(y1), int(x2 - x1), int(y2 - y1)};
        return A_Err_NONE;
    }

    // Whether the rectangle lies wholly inside the clip bounds.
    static A_Err isWithinClipBounds(DRAWBOT_SurfaceRef surface, const DRAWBOT_Rect32* rect,
                                    DRAWBOT_Boolean* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("IsWithinClipBounds", {h->name(surface), rectText(rect)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || rect == nullptr || out == nullptr) {
            return A_Err_PARAMETER;
        }
        double x1, y1, x2, y2;
        clipExtents(h, x1, y1, x2, y2);
        *out = rect->left >= x1 && rect->top >= y1 && double(rect->left) + rect->width <= x2 &&
               double(rect->top) + rect->height <= y2;
        return A_Err_NONE;
    }

    // Row-vector affine matrices: x' = x m00 + y m10 + m20, y' = x m01 + y m11 + m21.
    static A_Err transform(DRAWBOT_SurfaceRef surface, const DRAWBOT_MatrixF32* matrix) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        std::string text = "null";
        if (matrix != nullptr) {
            const auto& m = matrix->mat;
            text = numbers(
                {m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]});
        }
        if (A_Err err = h->enter("Transform", {h->name(surface), text})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || matrix == nullptr) {
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
        cairo_transform(h->cr, &cm);
        return h->status();
    }

    static A_Err drawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush,
                            DRAWBOT_FontRef font, const DRAWBOT_UTF16Char* string,
                            const DRAWBOT_PointF32* origin, DRAWBOT_TextAlignment alignment,
                            DRAWBOT_TextTruncation truncation, float truncationWidth) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        const std::vector<char32_t> cps =
            string == nullptr ? std::vector<char32_t>() : codePoints(string);
        const std::size_t callIndex = h->calls.size();
        // The last argument, the text as drawn, is filled in once known.
        if (A_Err err =
                h->enter("DrawString", {h->name(surface), h->name(brush), h->name(font),
                                        string == nullptr ? "null" : utf8(cps, 0, cps.size()),
                                        pointText(origin), std::to_string(alignment),
                                        std::to_string(truncation), number(truncationWidth), ""})) {
            return err;
        }
        const Object* b = h->find(brush, Kind::Brush);
        const Object* f = h->find(font, Kind::Font);
        if (h->find(surface, Kind::Surface) == nullptr || b == nullptr || f == nullptr ||
            string == nullptr || origin == nullptr || !finite({origin->x, origin->y}) ||
            alignment < kDRAWBOT_TextAlignment_Left || alignment > kDRAWBOT_TextAlignment_Right ||
            truncation < kDRAWBOT_TextTruncation_None ||
            truncation > kDRAWBOT_TextTruncation_PathEllipsis || std::isnan(truncationWidth)) {
            return A_Err_PARAMETER;
        }
        cairo_t* cr = h->cr;
        cairo_save(cr);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, f->size);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, cairoAntiAlias(h->states.back().antiAlias));
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);

        const std::string drawn = fitted(cr, cps, truncation, truncationWidth);
        double x = origin->x;
        if (alignment != kDRAWBOT_TextAlignment_Left) {
            const double width = advance(cr, drawn);
            x -= alignment == kDRAWBOT_TextAlignment_Center ? width / 2 : width;
        }
        setSource(cr, b->colour);
        cairo_new_path(cr);
        cairo_move_to(cr, x, origin->y);
        cairo_show_text(cr, drawn.c_str());
        cairo_new_path(cr);
        cairo_restore(cr);
        h->calls[callIndex].args.back() = drawn;
        return h->status();
    }

    static A_Err drawImage(DRAWBOT_SurfaceRef surface, DRAWBOT_ImageRef image,
                           const DRAWBOT_PointF32* origin, float alpha) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("DrawImage", {h->name(surface), h->name(image), pointText(origin),
                                               number(alpha)})) {
            return err;
        }
        const Object* i = h->find(image, Kind::Image);
        if (h->find(surface, Kind::Surface) == nullptr || i == nullptr || origin == nullptr ||
            !finite({origin->x, origin->y, alpha})) {
            return A_Err_PARAMETER;
        }
        cairo_t* cr = h->cr;
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, origin->x, origin->y, cairo_image_surface_get_width(i->image),
                        cairo_image_surface_get_height(i->image));
        cairo_clip(cr);
        cairo_set_source_surface(cr, i->image, origin->x, origin->y);
        cairo_pattern_set_filter(cairo_get_source(cr), cairoFilter(h->states.back().interpolation));
        cairo_paint_with_alpha(cr, std::clamp(alpha, 0.0f, 1.0f));
        cairo_restore(cr);
        return h->status();
    }

    static A_Err setInterpolationPolicy(DRAWBOT_SurfaceRef surface,
                                        DRAWBOT_InterpolationPolicy policy) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err =
                h->enter("SetInterpolationPolicy", {h->name(surface), std::to_string(policy)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr ||
            policy < kDRAWBOT_InterpolationPolicy_None ||
            policy > kDRAWBOT_InterpolationPolicy_High) {
            return A_Err_PARAMETER;
        }
        h->states.back().interpolation = policy;
        return A_Err_NONE;
    }

    static A_Err getInterpolationPolicy(DRAWBOT_SurfaceRef surface,
                                        DRAWBOT_InterpolationPolicy* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("GetInterpolationPolicy", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = h->states.back().interpolation;
        return A_Err_NONE;
    }

    static A_Err setAntiAliasPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_AntiAliasPolicy policy) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err =
                h->enter("SetAntiAliasPolicy", {h->name(surface), std::to_string(policy)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || policy < kDRAWBOT_AntiAliasPolicy_None ||
            policy > kDRAWBOT_AntiAliasPolicy_High) {
            return A_Err_PARAMETER;
        }
        h->states.back().antiAlias = policy;
        cairo_set_antialias(h->cr, cairoAntiAlias(policy));
        return A_Err_NONE;
    }

    static A_Err getAntiAliasPolicy(DRAWBOT_SurfaceRef surface, DRAWBOT_AntiAliasPolicy* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("GetAntiAliasPolicy", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = h->states.back().antiAlias;
        return A_Err_NONE;
    }

    static A_Err flush(DRAWBOT_SurfaceRef surface) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("Flush", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr) {
            return A_Err_PARAMETER;
        }
        cairo_surface_flush(h->surface);
        return h->status();
    }

    // The surface is the screen's own pixels: no high-density scaling.
    static A_Err getTransformToScreenScale(DRAWBOT_SurfaceRef surface, float* out) {
        Impl* h = host();
        if (h == nullptr) {
            return A_Err_GENERIC;
        }
        if (A_Err err = h->enter("GetTransformToScreenScale", {h->name(surface)})) {
            return err;
        }
        if (h->find(surface, Kind::Surface) == nullptr || out == nullptr) {
            return A_Err_PARAMETER;
        }
        *out = 1.0f;
        return A_Err_NONE;
    }

    // Custom UI suite

    static PF_Err getDrawingReference(const PF_ContextH contextH, DRAWBOT_DrawRef* out) {
        Impl* h = host();
        if (h == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        if (A_Err err = h->enter("PF_GetDrawingReference", {h->contextName(contextH)})) {
            return err;
        }
        if (h->contextSlot(contextH) == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        if (out != nullptr) {
            *out = reinterpret_cast<DRAWBOT_DrawRef>(&h->drawRecord);
        }
        return PF_Err_NONE;
    }

    // App suite: the colours of the panel, and a few harmless answers; the rest is not
    // provided here.

    static PF_Err appGetBgColor(PF_App_Color* out) {
        DrawbotHost* s = self();
        if (s == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        if (A_Err err = s->impl_->enter("PF_AppGetBgColor", {})) {
            return err;
        }
        if (out == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *out = s->background_;
        return PF_Err_NONE;
    }

    static PF_Err appSetCursor(PF_CursorType cursor) {
        Impl* h = host();
        if (h == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        return h->enter("PF_SetCursor", {std::to_string(cursor)});
    }

    static PF_Err appIsRenderEngine(A_Boolean* out) {
        Impl* h = host();
        if (h == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        if (A_Err err = h->enter("PF_IsRenderEngine", {})) {
            return err;
        }
        if (out == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *out = false; // a host with panels to draw on
        return PF_Err_NONE;
    }

    static PF_Err appInvalidateRect(const PF_ContextH contextH, const PF_Rect* rect) {
        Impl* h = host();
        if (h == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        const std::string area = rect == nullptr
                                     ? "null"
                                     : numbers({double(rect->left), double(rect->top),
                                                double(rect->right), double(rect->bottom)});
        if (A_Err err = h->enter("PF_InvalidateRect", {h->contextName(contextH), area})) {
            return err;
        }
        return h->contextSlot(contextH) == nullptr ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
    }

    static PF_Err unsupported(const char* function) {
        Impl* h = host();
        if (h == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        A_Err err = h->enter(function, {});
        return err != A_Err_NONE ? err : PF_Err_INVALID_CALLBACK;
    }

    static void fill(Impl& impl) {
        impl.drawSuite = {getSupplier, getSurface};
        impl.supplierSuite = {newPen,         newBrush,           supportsText, getDefaultFontSize,
                              newDefaultFont, newImageFromBuffer, newPath,      supportsBGRA,
                              prefersBGRA,    supportsARGB,       prefersARGB,  retainObject,
                              releaseObject};
        impl.surfaceSuite = {pushStateStack,
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
        impl.pathSuite = {moveTo, lineTo, bezierTo, addRect, addArc, close};
        impl.customUISuite = {getDrawingReference};
        PF_AppSuite6& app = impl.appSuite;
        app.PF_AppGetBgColor = appGetBgColor;
        app.PF_AppGetColor = [](PF_App_ColorType, PF_App_Color*) {
            return unsupported("PF_AppGetColor");
        };
        app.PF_AppGetLanguage = [](A_char*) { return unsupported("PF_AppGetLanguage"); };
        app.PF_GetPersonalInfo = [](void*) { return unsupported("PF_GetPersonalInfo"); };
        app.PF_GetFontStyleSheet = [](A_long, void*, A_short*, A_short*, A_short*) {
            return unsupported("PF_GetFontStyleSheet");
        };
        app.PF_SetCursor = appSetCursor;
        app.PF_IsRenderEngine = appIsRenderEngine;
        app.PF_AppColorPickerDialog = [](const A_char*, const void*, A_Boolean, void*) {
            return unsupported("PF_AppColorPickerDialog");
        };
        app.PF_GetMouse = [](PF_Point*) { return unsupported("PF_GetMouse"); };
        app.PF_InvalidateRect = appInvalidateRect;
        app.PF_ConvertLocalToGlobal = [](const PF_Point*, PF_Point*) {
            return unsupported("PF_ConvertLocalToGlobal");
        };
    }
};

DrawbotHost::DrawbotHost(SuiteHost& suites, int width, int height) : impl_(nullptr) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw std::invalid_argument("DrawbotHost: a surface of " + std::to_string(width) + "x" +
                                    std::to_string(height) + " pixels cannot be drawn on");
    }
    impl_ = new Impl(width, height);
    DrawbotAccess::fill(*impl_);
    suites.provide(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &impl_->drawSuite);
    suites.provide(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &impl_->supplierSuite);
    suites.provide(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &impl_->surfaceSuite);
    suites.provide(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &impl_->pathSuite);
    suites.provide(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &impl_->customUISuite);
    suites.provide(kPFAppSuite, kPFAppSuiteVersion6, &impl_->appSuite);
    ActiveInstance<DrawbotHost>::push(this);
}

DrawbotHost::~DrawbotHost() {
    ActiveInstance<DrawbotHost>::remove(this);
    delete impl_;
}

PF_ContextH DrawbotHost::context(PF_WindowType type) {
    std::unique_ptr<ContextSlot>& slot = impl_->contexts[type];
    if (!slot) {
        slot = std::make_unique<ContextSlot>();
        slot->context = PF_Context{};
        slot->context.magic = 0x636E7478; // 'cntx'
        slot->context.w_type = type;
        slot->pointer = &slot->context;
    }
    return &slot->pointer;
}

// An error of 0 would be a failure reported as success: it ends the failing instead.
void DrawbotHost::failCall(const std::string& function, A_Err error) {
    if (error == A_Err_NONE) {
        impl_->failures.erase(function);
    } else {
        impl_->failures[function] = error;
    }
}

const std::vector<DrawbotCall>& DrawbotHost::calls() const {
    return impl_->calls;
}

void DrawbotHost::clearCalls() {
    impl_->calls.clear();
}

std::vector<DrawbotCall> DrawbotHost::callsTo(const std::string& function) const {
    std::vector<DrawbotCall> found;
    for (const DrawbotCall& call : impl_->calls) {
        if (call.function == function) {
            found.push_back(call);
        }
    }
    return found;
}

int DrawbotHost::liveObjects() const {
    return int(
        std::count_if(impl_->objects.begin(), impl_->objects.end(),
                      [](const std::unique_ptr<Object>& o) { return !o->hostOwned && o->live(); }));
}

std::vector<std::uint8_t> DrawbotHost::rgba() const {
    cairo_surface_flush(impl_->surface);
    const std::uint8_t* data = cairo_image_surface_get_data(impl_->surface);
    const int stride = cairo_image_surface_get_stride(impl_->surface);
    std::vector<std::uint8_t> out(std::size_t(impl_->width) * std::size_t(impl_->height) * 4);
    std::uint8_t* o = out.data();
    for (int y = 0; y < impl_->height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < impl_->width; ++x, o += 4) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            if (a == 0) {
                continue; // already zero
            }
            const unsigned channel[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            for (int c = 0; c < 3; ++c) {
                o[c] = std::uint8_t(std::min(255u, (channel[c] * 255 + a / 2) / a));
            }
            o[3] = std::uint8_t(a);
        }
    }
    return out;
}

int DrawbotHost::width() const {
    return impl_->width;
}

int DrawbotHost::height() const {
    return impl_->height;
}

namespace {

struct PngSink {
    int fd;
    bool failed;
};

cairo_status_t writeAll(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<PngSink*>(closure);
    while (length > 0) {
        const ssize_t n = ::write(sink->fd, data, length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            sink->failed = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        data += n;
        length -= unsigned(n);
    }
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

// Written beside the target and renamed over it, so the path holds either the old file or the
// whole new one. The file is made with the usual permissions (0666 less the umask).
bool DrawbotHost::writePng(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    cairo_surface_flush(impl_->surface);
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    PngSink sink{fd, false};
    bool ok = cairo_surface_write_to_png_stream(impl_->surface, writeAll, &sink) ==
                  CAIRO_STATUS_SUCCESS &&
              !sink.failed && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

} // namespace aehost
