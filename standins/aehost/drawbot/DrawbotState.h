// What the Drawbot suites share inside the host: the records behind the references handed to
// an effect, the cairo context they draw with, the call log, and the glue that lets the suites'
// plain C functions find the active DrawbotHost. Private to aehost; each suite's functions live
// in their own file and hand back a filled suite record.
#pragma once

#include "standins/aehost/drawbot/DrawbotHost.h"

#include "standins/aehost/host/ActiveInstance.h"

#include <cairo.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Kelvane::Neon::Host {
namespace drawbot {

// cairo's image surfaces are limited to this many pixels a side.
constexpr int kMaxSide = 32767;

enum class Kind { Supplier, Surface, Pen, Brush, Font, Path, Image, Count };

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

// Arguments as the call log writes them: numbers with up to six significant digits.
std::string number(double v);
std::string numbers(std::initializer_list<double> values);
std::string colourText(const DRAWBOT_ColorRGBA* c);
std::string pointText(const DRAWBOT_PointF32* p);
std::string rectText(const DRAWBOT_RectF32* r);
std::string rectText(const DRAWBOT_Rect32* r);

bool finite(std::initializer_list<double> values);
bool validColour(const DRAWBOT_ColorRGBA* c);

void setSource(cairo_t* cr, const DRAWBOT_ColorRGBA& c);
cairo_antialias_t cairoAntiAlias(DRAWBOT_AntiAliasPolicy policy);
// Lays the path's segments into cairo's current path, replacing what was there.
void replay(cairo_t* cr, const std::vector<Segment>& segments);

} // namespace drawbot

struct DrawbotHost::Impl {
    using Object = drawbot::Object;
    using Kind = drawbot::Kind;

    Impl(int w, int h);
    ~Impl();

    Object* make(Kind kind);

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

    // How the call log names a reference: "drawref", "supplier", "brush#2", "null"...
    std::string name(const void* ref) const;
    std::string contextName(PF_ContextH contextH) const;
    const drawbot::ContextSlot* contextSlot(PF_ContextH contextH) const;

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
    PFAppSuite4 appSuite{};

    drawbot::DrawRecord drawRecord{0};
    std::vector<std::unique_ptr<Object>> objects;
    std::unordered_map<const void*, Object*> index;
    int nextId[int(Kind::Count)] = {};
    Object* supplier = nullptr;
    Object* surfaceObject = nullptr;
    std::vector<drawbot::State> states;
    std::map<PF_WindowType, std::unique_ptr<drawbot::ContextSlot>> contexts;

    std::vector<DrawbotCall> calls;
    std::map<std::string, A_Err> failures;
};

// The suites' C functions carry no host argument: they reach the active host through here.
struct DrawbotAccess {
    using Impl = DrawbotHost::Impl;

    static DrawbotHost* self() { return ActiveInstance<DrawbotHost>::get(); }
    static Impl* host() {
        DrawbotHost* h = self();
        return h == nullptr ? nullptr : h->impl_;
    }
    static PF_App_Color background(const DrawbotHost& h) { return h.background_; }
};

namespace drawbot {

using Impl = DrawbotAccess::Impl;

inline Impl* host() {
    return DrawbotAccess::host();
}

// How the active host's call log names a reference or an event context ("" without a host):
// a call's arguments are written before it is known whether a host is there.
inline std::string name(const void* ref) {
    const Impl* h = host();
    return h == nullptr ? std::string() : h->name(ref);
}
inline std::string contextName(PF_ContextH contextH) {
    const Impl* h = host();
    return h == nullptr ? std::string() : h->contextName(contextH);
}

// Every suite function runs through here, so that each answers alike: without an active host
// the call fails with `noHost`; otherwise it is recorded with its arguments and fails with the
// error it was told to fail with, if any, before `body` runs on the host.
template <typename Body>
A_Err suiteCall(const char* function, std::vector<std::string> args, Body body,
                A_Err noHost = A_Err_GENERIC) {
    Impl* h = host();
    if (h == nullptr) {
        return noHost;
    }
    if (const A_Err err = h->enter(function, std::move(args))) {
        return err;
    }
    return body(*h);
}

// A call on one of our objects (the surface, the supplier, a path), logged as the first of its
// arguments: anything but a live object of `kind` is a parameter error. `body` also gets the
// object.
template <typename Body>
A_Err objectCall(const char* function, const void* ref, Kind kind, std::vector<std::string> more,
                 Body body) {
    more.insert(more.begin(), name(ref));
    return suiteCall(function, std::move(more), [&](Impl& h) -> A_Err {
        Object* o = h.find(ref, kind);
        return o == nullptr ? A_Err(A_Err_PARAMETER) : body(h, *o);
    });
}

// An object of ours as whichever Drawbot reference type it is handed out as: each kind has a
// type of its own.
struct ObjectRefOf {
    Object* object;
    template <typename Ref> operator Ref() const { return reinterpret_cast<Ref>(object); }
};
inline ObjectRefOf ref(Object* o) {
    return {o};
}

// The suite records, filled with their functions.
DRAWBOT_DrawbotSuite1 makeDrawSuite();
DRAWBOT_SupplierSuite1 makeSupplierSuite();
DRAWBOT_SurfaceSuite2 makeSurfaceSuite();
DRAWBOT_PathSuite1 makePathSuite();
PF_EffectCustomUISuite1 makeCustomUISuite();
PFAppSuite4 makeAppSuite();

// The surface suite's DrawString, kept with the text layout it needs.
A_Err drawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                 const DRAWBOT_UTF16Char* string, const DRAWBOT_PointF32* origin,
                 DRAWBOT_TextAlignment alignment, DRAWBOT_TextTruncation truncation,
                 float truncationWidth);

} // namespace drawbot
} // namespace Kelvane::Neon::Host
