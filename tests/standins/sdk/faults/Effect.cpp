// Each fault the names check finds in a module's source, once.
#include "AE_Effect.h"
#include "AE_EffectSuitesOld.h"
#include "DrawbotSuite.h"

class DRAWBOT_Exception {};

extern "C" DllExport PF_Err EntryPointFunc(A_long cmd) {
    PF_CustomUIInfo* registered = nullptr;
    PF_CustomUIInfo info;
    return cmd == kSPNoError && registered == nullptr && sizeof info > 0;
}
