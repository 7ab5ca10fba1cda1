// Earlier generations of the effect suites; AE_EffectSuites.h includes this file.
#ifndef _H_AE_EffectSuitesOld
#error "this file is designed to be included only by AE_EffectSuites.h; do not include directly"
#endif

#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1

typedef struct PF_EffectCustomUISuite1 {
    PF_Err (*PF_GetDrawingReference)(const PF_ContextH effect_contextH,
                                     DRAWBOT_DrawRef* referenceP0);
} PF_EffectCustomUISuite1;

// "PF AE App Suite" version 6 is the record of the suite's fourth generation (the record named
// for the sixth answers version 1).
#define kPFAppSuite "PF AE App Suite"
#define kPFAppSuiteVersion4 6

typedef struct PFAppSuite4 {
    PF_Err (*PF_AppGetBgColor)(PF_App_Color* bg_colorP);
    PF_Err (*PF_AppGetColor)(PF_App_ColorType color_type, PF_App_Color* app_colorP);
    PF_Err (*PF_GetPersonalInfo)(PF_AppPersonalTextInfo* ptiP);
    PF_Err (*PF_GetFontStyleSheet)(PF_FontStyleSheet sheet, PF_FontName* font_nameP0,
                                   A_short* font_numPS0, A_short* sizePS0, A_short* stylePS0);
    PF_Err (*PF_SetCursor)(PF_CursorType cursor);
    PF_Err (*PF_IsRenderEngine)(PF_Boolean* render_enginePB);
    PF_Err (*PF_AppColorPickerDialog)(const A_char* dialog_titleZ0,
                                      const PF_PixelFloat* sample_colorP,
                                      PF_Boolean use_ws_to_monitor_xformB,
                                      PF_PixelFloat* result_colorP);
    PF_Err (*PF_GetMouse)(PF_Point* pointP);
    PF_Err (*PF_InvalidateRect)(const PF_ContextH contextH, const PF_Rect* rectP0);
    PF_Err (*PF_ConvertLocalToGlobal)(const PF_Point* localP, PF_Point* globalP);
    void* reserved;
} PFAppSuite4;
