// The AEGP suites the effect uses to reach its own parameter streams. Suite slots past the
// functions named here are the host's; a record still spans them all.
#pragma once

#include "AE_Effect.h"

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
#define kAEGPEffectSuiteVersion2 2

typedef struct AEGP_EffectSuite2 {
    A_Err (*AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
    A_Err (*AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                        AEGP_EffectIndex layer_effect_index,
                                        AEGP_EffectRefH* effectPH);
    A_Err (*AEGP_GetInstalledKeyFromLayerEffect)(AEGP_EffectRefH effect_refH,
                                                 AEGP_InstalledEffectKey* installed_keyP);
    A_Err (*AEGP_GetEffectParamUnionByIndex)(AEGP_PluginID aegp_plugin_id,
                                             AEGP_EffectRefH effect_refH, PF_ParamIndex param_index,
                                             PF_ParamType* param_typeP, PF_ParamDefUnion* uP0);
    A_Err (*AEGP_GetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags* effect_flagsP);
    A_Err (*AEGP_SetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags mask,
                                 AEGP_EffectFlags effect_flags);
    A_Err (*AEGP_ReorderEffect)(AEGP_EffectRefH effect_refH, A_long effect_indexL);
    A_Err (*AEGP_EffectCallGeneric)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                    const A_Time* timePT, void* effect_extraPV);
    A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
    void* reserved[8];
} AEGP_EffectSuite2;

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
#define kAEGPDynamicStreamSuiteVersion2 2

typedef struct AEGP_DynamicStreamSuite2 {
    A_Err (*AEGP_GetNewStreamRefForLayer)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                          AEGP_StreamRefH* out_streamPH);
    A_Err (*AEGP_GetStreamDepth)(AEGP_StreamRefH streamH, A_long* depthPL);
    A_Err (*AEGP_GetStreamGroupingType)(AEGP_StreamRefH streamH,
                                        AEGP_StreamGroupingType* group_typeP);
    A_Err (*AEGP_GetNumStreamsInGroup)(AEGP_StreamRefH streamH, A_long* num_streamsPL);
    A_Err (*AEGP_GetDynamicStreamFlags)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags* flagsP);
    A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag,
                                       A_Boolean undoableB, A_Boolean setB);
    void* reserved[11];
} AEGP_DynamicStreamSuite2;

// "AEGP Stream Suite" version 7 is the record of the suite's second generation.
#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion2 7

typedef struct AEGP_StreamSuite2 {
    A_Err (*AEGP_IsStreamLegal)(AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                                A_Boolean* is_legalP);
    A_Err (*AEGP_CanVaryOverTime)(AEGP_StreamRefH streamH, A_Boolean* can_varyPB);
    A_Err (*AEGP_GetValidInterpolations)(AEGP_StreamRefH streamH,
                                         AEGP_KeyInterpolationMask* valid_interpP);
    A_Err (*AEGP_GetNewLayerStream)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                    AEGP_LayerStream which_stream, AEGP_StreamRefH* streamPH);
    A_Err (*AEGP_GetEffectNumParamStreams)(AEGP_EffectRefH effect_refH, A_long* num_paramsPL);
    A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id,
                                            AEGP_EffectRefH effect_refH, PF_ParamIndex param_index,
                                            AEGP_StreamRefH* streamPH);
    A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_refH,
                                   AEGP_MaskStream which_stream, AEGP_StreamRefH* mask_streamPH);
    A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
    void* reserved[14];
} AEGP_StreamSuite2;
