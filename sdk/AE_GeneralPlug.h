// The AEGP suites the effect uses to reach its own parameter streams. Suite slots past the
// functions named here are the host's; a record still spans them all. The generations the effect
// uses of the Effect, Dynamic Stream and Stream suites are in AE_GeneralPlugOld.h, included last.
#ifndef _H_AE_PlugGeneral
#define _H_AE_PlugGeneral

#include "A.h"
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "SPBasic.h"
#include "AE_EffectSuites.h"

typedef A_long AEGP_PluginID;
typedef struct _AEGP_EffectRefOpaque** AEGP_EffectRefH;
typedef struct _AEGP_StreamRefOpaque** AEGP_StreamRefH;
typedef struct _AEGP_LayerOpaque** AEGP_LayerH;
typedef struct _AEGP_MaskRefOpaque** AEGP_MaskRefH;

typedef A_long AEGP_EffectIndex;
typedef A_long AEGP_InstalledEffectKey;
typedef A_long AEGP_EffectFlags;
typedef A_long AEGP_LayerStream;
typedef A_long AEGP_MaskStream;
typedef A_long AEGP_StreamGroupingType;
typedef A_long AEGP_KeyInterpolationMask;

typedef A_u_long AEGP_DynStreamFlags;
enum {
    AEGP_DynStreamFlag_ACTIVE_EYEBALL = 1UL << 0,
    AEGP_DynStreamFlag_HIDDEN = 1UL << 1,
    AEGP_DynStreamFlag_DISABLED = 1UL << 4,
    AEGP_DynStreamFlag_ELIDED = 1UL << 5,
    AEGP_DynStreamFlag_SHOWN_WHEN_EMPTY = 1UL << 10,
    AEGP_DynStreamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 1UL << 16,
};

#define kAEGPEffectSuite "AEGP Effect Suite"

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
    A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_ref, AEGP_LayerH* layerPH);
    A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref,
                                        AEGP_EffectRefH* effectPH);
    A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_ref, A_long what_time,
                                          A_u_long time_scale, A_Time* comp_timePT);
    A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr effect_ref, const A_Time* comp_timePT,
                                  AEGP_LayerH* camera_layerPH);
    A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_ref, const A_Time* comp_timePT,
                                        A_Matrix4* camera_matrixP, A_FpLong* dst_to_planePF,
                                        A_short* plane_widthPL, A_short* plane_heightPL);
} AEGP_PFInterfaceSuite1;

#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"

#define kAEGPStreamSuite "AEGP Stream Suite"

#include "AE_GeneralPlugOld.h"

#endif
