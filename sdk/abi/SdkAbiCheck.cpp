// Compiles the published layout table (generated into SdkAbiCheck.h) against the SDK headers the
// module is built with: a record, field, function pointer or constant that differs from what
// the host reads and writes stops the build here, named. The headers are included as a module
// includes them; the earlier suite generations come with AE_EffectSuites.h and AE_GeneralPlug.h.
#include "A.h"
#include "SPBasic.h"
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_EffectUI.h"
#include "AE_GeneralPlug.h"
#include "adobesdk/DrawbotSuite.h"

#include "SdkAbiCheck.h"
