// Effect suites for parameters, custom UI and the application: "PF Param Utils Suite",
// "PF Effect Custom UI Suite" and "PF AE App Suite". The generations the effect uses of the last
// two are in AE_EffectSuitesOld.h, which only this header includes.
#ifndef _H_AE_EffectSuites
#define _H_AE_EffectSuites

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "SPBasic.h"

// A parameter's state, for comparing it over time; the host's own.
typedef struct {
    A_long reserved[4];
} PF_State;
typedef A_long PF_KeyIndex;
typedef A_long PF_TimeDir;

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3

typedef struct PF_ParamUtilsSuite3 {
    PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                               const PF_ParamDef* defP);
    PF_Err (*PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                 const A_Time* startPT0, const A_Time* durationPT0,
                                 PF_State* stateP);
    PF_Err (*PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State* state1P,
                                    const PF_State* state2P, A_Boolean* samePB);
    PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                     A_long what_time1, A_long time_step1, A_u_long time_scale1,
                                     A_long what_time2, A_long time_step2, A_u_long time_scale2,
                                     PF_Boolean* identicalPB);
    PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                  A_long what_time, A_u_long time_scale, PF_TimeDir time_dir,
                                  PF_Boolean* foundPB, PF_KeyIndex* key_indexP0, A_long* key_timeP0,
                                  A_u_long* key_timescaleP0);
    PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                  PF_KeyIndex* key_countP);
    PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                  PF_KeyIndex key_index, A_long* key_timeP0,
                                  A_u_long* key_timescaleP0, PF_ParamDef* paramP0);
    PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* paramP);
    PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex key_index, A_long* key_timeP, A_u_long* key_timescaleP);
} PF_ParamUtilsSuite3;

typedef struct PF_App_Color {
    A_u_short red, green, blue;
} PF_App_Color;

typedef A_short PF_App_ColorType;
typedef A_char PF_FontStyleSheet;

// The registered user's name, organisation and serial number.
typedef struct PF_AppPersonalTextInfo {
    A_char reserved[192];
} PF_AppPersonalTextInfo;

typedef struct PF_FontName {
    A_char font_name[256];
} PF_FontName;

#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFAppSuite "PF AE App Suite"
#define kPFAppSuiteVersion6 1

#define _H_AE_EffectSuitesOld
#include "AE_EffectSuitesOld.h"
#undef _H_AE_EffectSuitesOld

#endif
