// What a custom-UI event needs around the Drawbot suites: the Effect Custom UI suite (the
// drawing reference of an event's context) and the App suite (the panel background colour and a
// few harmless answers; the rest is refused as not provided here).
#include "DrawbotState.h"

namespace aehost {
namespace drawbot {
namespace {

PF_Err getDrawingReference(const PF_ContextH contextH, DRAWBOT_DrawRef* out) {
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

PF_Err appGetBgColor(PF_App_Color* out) {
    DrawbotHost* s = DrawbotAccess::self();
    if (s == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (A_Err err = DrawbotAccess::impl(*s)->enter("PF_AppGetBgColor", {})) {
        return err;
    }
    if (out == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *out = DrawbotAccess::background(*s);
    return PF_Err_NONE;
}

PF_Err appSetCursor(PF_CursorType cursor) {
    Impl* h = host();
    if (h == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return h->enter("PF_SetCursor", {std::to_string(cursor)});
}

PF_Err appIsRenderEngine(A_Boolean* out) {
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

PF_Err appInvalidateRect(const PF_ContextH contextH, const PF_Rect* rect) {
    Impl* h = host();
    if (h == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const std::string area = rect == nullptr ? "null"
                                             : numbers({double(rect->left), double(rect->top),
                                                        double(rect->right), double(rect->bottom)});
    if (A_Err err = h->enter("PF_InvalidateRect", {h->contextName(contextH), area})) {
        return err;
    }
    return h->contextSlot(contextH) == nullptr ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
}

PF_Err unsupported(const char* function) {
    Impl* h = host();
    if (h == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    A_Err err = h->enter(function, {});
    return err != A_Err_NONE ? err : PF_Err_INVALID_CALLBACK;
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
} // namespace aehost
