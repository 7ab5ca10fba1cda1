#include "effect/ui/HeaderPanel.h"

#include "effect/ui/DrawbotWrappers.h"
#include "effect/ui/LogoMark.h"

#include "effect/controls/EffectInfo.h"
#include "effect/controls/SuiteScoper.h"
#include "standins/win32/Win32Api.h"

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"

#include <atomic>
#include <mutex>

namespace Kelvane {
namespace Neon {
namespace {

// Values of the host's interface the SDK headers do not name.
constexpr PF_CursorType kLinkCursor = PF_Cursor_FINGER_POINTER; // the pointer over links
constexpr INT kShowWindow = 5;                                  // SW_SHOW

// PF_App_Color channels are 16 bits.
constexpr double kChannelScale = 1.5259e-05;

constexpr DRAWBOT_ColorRGBA kAccent = {0.435f, 0.286f, 0.87f, 1.0f};

// Where the mark's text goes, from the frame's top-left corner.
constexpr PF_Rect kTextBox = {120, 30, 200, 45};
constexpr std::size_t kTextUnits = 256; // terminator included

HeaderColors MakeHeaderColors(PF_InData* in_data) {
    SuiteScoper<PFAppSuite4> app(in_data->pica_basicP, kPFAppSuite, kPFAppSuiteVersion4);
    PF_App_Color bg{};
    // A host that cannot say keeps the zeroed colour: black is still a colour to draw on.
    app->PF_AppGetBgColor(&bg);
    HeaderColors colors{};
    colors.background = {static_cast<float>(bg.red * kChannelScale),
                         static_cast<float>(bg.green * kChannelScale),
                         static_cast<float>(bg.blue * kChannelScale), 1.0f};
    colors.accent = kAccent;
    return colors;
}

void PaintBackground(DRAWBOT_DrawRef drawing_ref, const DrawbotSuites& suites, const PF_Rect& frame,
                     const DRAWBOT_ColorRGBA& colour) {
    DRAWBOT_SupplierRef supplier = nullptr;
    if (suites.drawbot_suiteP->GetSupplier(drawing_ref, &supplier) != PF_Err_NONE) {
        return;
    }
    DrawbotPath path(suites.supplier_suiteP, supplier);
    const DRAWBOT_RectF32 rect = {static_cast<float>(frame.left), static_cast<float>(frame.top),
                                  static_cast<float>(frame.right - frame.left),
                                  static_cast<float>(frame.bottom - frame.top)};
    suites.path_suiteP->AddRect(path, &rect);

    DRAWBOT_SurfaceRef surface = nullptr;
    DRAWBOT_SupplierRef again = nullptr;
    PF_Err err = suites.drawbot_suiteP->GetSurface(drawing_ref, &surface);
    if (err == PF_Err_NONE) {
        err = suites.drawbot_suiteP->GetSupplier(drawing_ref, &again);
    }
    DrawbotBrush brush(suites.supplier_suiteP, supplier, colour);
    if (err == PF_Err_NONE) {
        suites.surface_suiteP->FillPath(surface, brush, path, kDRAWBOT_FillType_Winding);
    }
}

// The mark, then the text while the mark's path is still held. Returns the supplier query's
// result: the one failure here the host hears of.
PF_Err PaintMarkAndText(DRAWBOT_DrawRef drawing_ref, const DrawbotSuites& suites,
                        const PF_Rect& frame, const DRAWBOT_ColorRGBA& accent) {
    DRAWBOT_SupplierRef supplier = nullptr;
    const PF_Err err = suites.drawbot_suiteP->GetSupplier(drawing_ref, &supplier);
    if (err != PF_Err_NONE) {
        return err;
    }
    DrawbotPath mark(suites.supplier_suiteP, supplier);
    AddLogoMark(*suites.path_suiteP, mark, frame.left, frame.top);
    {
        DrawbotBrush brush(suites.supplier_suiteP, supplier, accent);
        DRAWBOT_SurfaceRef surface = nullptr;
        DRAWBOT_SupplierRef again = nullptr;
        if (suites.drawbot_suiteP->GetSurface(drawing_ref, &surface) == PF_Err_NONE &&
            suites.drawbot_suiteP->GetSupplier(drawing_ref, &again) == PF_Err_NONE) {
            suites.surface_suiteP->FillPath(surface, brush, mark, kDRAWBOT_FillType_Winding);
        }
    }

    const PF_Rect box = {frame.left + kTextBox.left, frame.top + kTextBox.top,
                         frame.left + kTextBox.right, frame.top + kTextBox.bottom};
    DRAWBOT_UTF16Char domain[kTextUnits] = {};
    for (std::size_t i = 0; kMakerDomain[i] != '\0' && i + 1 < kTextUnits; ++i) {
        domain[i] = static_cast<unsigned char>(kMakerDomain[i]);
    }
    // A line of text that cannot be drawn leaves the rest of the strip standing.
    DrawHeaderText(drawing_ref, suites, accent, box, 0.0f, domain);
    return err;
}

} // namespace

const HeaderColors& GetHeaderColors(PF_InData* in_data) {
    static std::mutex mutex;
    static std::atomic<bool> made{false};
    static HeaderColors colors{};
    if (!made.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!made.load(std::memory_order_relaxed)) {
            colors = MakeHeaderColors(in_data);
            made.store(true, std::memory_order_release);
        }
    }
    return colors;
}

PF_Err DrawHeaderText(DRAWBOT_DrawRef drawing_ref, const DrawbotSuites& suites,
                      const DRAWBOT_ColorRGBA& colour, const PF_Rect& box, float size,
                      const DRAWBOT_UTF16Char* text) {
    DRAWBOT_SurfaceRef surface = nullptr;
    DRAWBOT_SupplierRef supplier = nullptr;
    PF_Err err = suites.drawbot_suiteP->GetSurface(drawing_ref, &surface);
    if (err == PF_Err_NONE) {
        err = suites.drawbot_suiteP->GetSupplier(drawing_ref, &supplier);
    }
    if (err != PF_Err_NONE) {
        return err; // brush and font would need the supplier
    }
    DrawbotBrush brush(suites.supplier_suiteP, supplier, colour);
    if (size == 0.0f) {
        err = suites.supplier_suiteP->GetDefaultFontSize(supplier, &size);
        if (err != PF_Err_NONE) {
            return err;
        }
    }
    DrawbotFont font(suites.supplier_suiteP, supplier, size);

    // Centres a line `size` high in the box.
    const double height = static_cast<double>(box.bottom) - box.top;
    const DRAWBOT_PointF32 origin = {static_cast<float>(box.left),
                                     static_cast<float>(box.top + (height - size) * 0.5 + size)};

    DRAWBOT_UTF16Char line[kTextUnits] = {};
    for (std::size_t i = 0; text != nullptr && text[i] != 0 && i + 1 < kTextUnits; ++i) {
        line[i] = text[i];
    }
    return suites.surface_suiteP->DrawString(
        surface, brush, font, line, &origin, kDRAWBOT_TextAlignment_Left,
        kDRAWBOT_TextTruncation_EndEllipsis, static_cast<float>(box.right) - origin.x);
}

PF_Err DrawHeader(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra) {
    // The parameter's title is the host's to draw; only the control area is ours.
    if (extra->effect_win.area != PF_EA_CONTROL) {
        return PF_Err_NONE;
    }
    ScopedDrawbotSuites drawbot(in_data, out_data);
    if (drawbot.error() != PF_Err_NONE) {
        return drawbot.error(); // nothing to draw with; the message is in out_data
    }
    const SuiteScoper<PF_EffectCustomUISuite1> customUI(
        in_data->pica_basicP, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
    DRAWBOT_DrawRef drawing_ref = nullptr;
    PF_Err err = customUI->PF_GetDrawingReference(extra->contextH, &drawing_ref);
    if (err != PF_Err_NONE || drawing_ref == nullptr) {
        return err; // no surface: nothing drawn, so the event is not claimed either
    }
    const HeaderColors& colors = GetHeaderColors(in_data);
    const PF_Rect& frame = extra->effect_win.current_frame;
    PaintBackground(drawing_ref, drawbot.get(), frame, colors.background);
    err = PaintMarkAndText(drawing_ref, drawbot.get(), frame, colors.accent);

    // The Drawbot suites go back before the custom UI suite that gave the drawing reference.
    drawbot.release();
    extra->evt_out_flags = PF_EO_HANDLED_EVENT;
    return err;
}

PF_Err HandleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/, PF_EventExtra* extra) {
    if (extra == nullptr || extra->contextH == nullptr || *extra->contextH == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    // The effect also hears composition and layer window events; the strip lives only here.
    if ((*extra->contextH)->w_type != PF_Window_EFFECT) {
        return PF_Err_NONE;
    }
    switch (extra->e_type) {
    case PF_Event_DO_CLICK:
        // A page that will not open is not worth an error dialog.
        ShellExecuteA(nullptr, nullptr, kMakerPage, nullptr, nullptr, kShowWindow);
        return PF_Err_NONE;
    case PF_Event_DRAW:
        return DrawHeader(in_data, out_data, extra);
    case PF_Event_ADJUST_CURSOR:
        extra->u.adjust_cursor.set_cursor = kLinkCursor;
        return PF_Err_NONE;
    default:
        return PF_Err_NONE;
    }
}

} // namespace Neon
} // namespace Kelvane
