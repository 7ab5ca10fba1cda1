// Compiles the published layout table (generated into SdkAbiCheck.h) against the SDK headers the
// module is built with: a record, field, function pointer or constant that differs from what
// the host reads and writes stops the build here, named.
//
// A header that is not there yet is skipped; the names it should declare then fail below.
#if __has_include("A.h")
#include "A.h"
#endif
#if __has_include("SPBasic.h")
#include "SPBasic.h"
#endif
#if __has_include("AE_Effect.h")
#include "AE_Effect.h"
#endif
#if __has_include("AE_EffectCB.h")
#include "AE_EffectCB.h"
#endif
#if __has_include("AE_EffectCBSuites.h")
#include "AE_EffectCBSuites.h"
#endif
#if __has_include("AE_EffectSuites.h")
#include "AE_EffectSuites.h"
#endif
#if __has_include("AE_EffectUI.h")
#include "AE_EffectUI.h"
#endif
#if __has_include("AE_GeneralPlug.h")
#include "AE_GeneralPlug.h"
#endif
#if __has_include("DrawbotSuite.h")
#include "DrawbotSuite.h"
#endif
// The published SDK keeps earlier suite generations in headers of their own.
#if __has_include("AE_GeneralPlugOld.h")
#include "AE_GeneralPlugOld.h"
#endif
#if __has_include("AE_EffectSuitesOld.h")
#include "AE_EffectSuitesOld.h"
#endif

#include "SdkAbiCheck.h"
