// What a custom-UI event needs around the Drawbot suites: the Effect Custom UI suite (the
// drawing reference of an event's context) and the App suite (the panel background colour and a
// few harmless answers; the rest is refused as not provided here).
#include "standins/aehost/drawbot/DrawbotState.h"

namespace Kelvane::Neon::Host {
namespace drawbot {
namespace {

// The app suites answer a missing host as a bad callback parameter.
template <typename Body>
PF_Err appCall(const char* function, std::vector<std::string> args, Body body) {
    return suiteCall(function, std::move(args), body, PF_Err_BAD_CALLBACK_PARAM);
}

PF_Err getDrawingReference(const PF_ContextH contextH, DRAWBOT_DrawRef* out) {
    return appCall("PF_GetDrawingReference", {contextName(contextH)}, [&](Impl& h) -> PF_Err {
        if (h.contextSlot(contextH) == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        if (out != nullptr) {
            *out = reinterpret_cast<DRAWBOT_DrawRef>(&h.drawRecord);
        }
        return PF_Err_NONE;
    });
}

// Answers through `out`, which must be given.
template <typename Out, typename Answer>
PF_Err appAnswer(const char* function, Out* out, Answer answer) {
    return appCall(function, {}, [&](Impl&) -> PF_Err {
        if (out == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *out = answer();
        return PF_Err_NONE;
    });
}

PF_Err appGetBgColor(PF_App_Color* out) {
    return appAnswer("PF_AppGetBgColor", out,
                     [] { return DrawbotAccess::background(*DrawbotAccess::self()); });
}

PF_Err appSetCursor(PF_CursorType cursor) {
    return appCall("PF_SetCursor", {std::to_string(cursor)}, [](Impl&) { return PF_Err_NONE; });
}

PF_Err appIsRenderEngine(A_Boolean* out) {
    // A host with panels to draw on.
    return appAnswer("PF_IsRenderEngine", out, [] { return A_Boolean(false); });
}

PF_Err appInvalidateRect(const PF_ContextH contextH, const PF_Rect* rect) {
    const std::string area = rect == nullptr ? "null"
                                             : numbers({double(rect->left), double(rect->top),
                                                        double(rect->right), double(rect->bottom)});
    return appCall("PF_InvalidateRect", {contextName(contextH), area}, [&](Impl& h) -> PF_Err {
        return h.contextSlot(contextH) == nullptr ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
    });
}

// What is not provided here: recorded, and refused.
PF_Err unsupported(const char* function) {
    return appCall(function, {}, [](Impl&) -> PF_Err { return PF_Err_INVALID_CALLBACK; });
}

} // namespace

PF_EffectCustomUISuite1 makeCustomUISuite() {
    return {getDrawingReference};
}

PFAppSuite4 makeAppSuite() {
    PFAppSuite4 app{};
    app.PF_AppGetBgColor = appGetBgColor;
    app.PF_AppGetColor = [](PF_App_ColorType, PF_App_Color*) {
        return unsupported("PF_AppGetColor");
    };
    app.PF_GetPersonalInfo = [](PF_AppPersonalTextInfo*) {
        return unsupported("PF_GetPersonalInfo");
    };
    app.PF_GetFontStyleSheet = [](PF_FontStyleSheet, PF_FontName*, A_short*, A_short*, A_short*) {
        return unsupported("PF_GetFontStyleSheet");
    };
    app.PF_SetCursor = appSetCursor;
    app.PF_IsRenderEngine = appIsRenderEngine;
    app.PF_AppColorPickerDialog = [](const A_char*, const PF_PixelFloat*, PF_Boolean,
                                     PF_PixelFloat*) {
        return unsupported("PF_AppColorPickerDialog");
    };
    app.PF_GetMouse = [](PF_Point*) { return unsupported("PF_GetMouse"); };
    app.PF_InvalidateRect = appInvalidateRect;
    app.PF_ConvertLocalToGlobal = [](const PF_Point*, PF_Point*) {
        return unsupported("PF_ConvertLocalToGlobal");
    };
    return app;
}

} // namespace drawbot
} // namespace Kelvane::Neon::Host
