// Runs one command and turns whatever it throws into a host error code, so that no exception
// leaves the entry point: a thrown integer (a host or suite code) becomes 516, an allocation
// failure 4, a drawing failure its own Drawbot code, and anything else (an OpenGL context that
// could not be made, above all) 512 with a message for the host to show.
#pragma once

#include "AE_Effect.h"
#include "EffectInfo.h"
#include "ui/DrawbotWrappers.h"

#include <cstdio>
#include <new>

namespace Kelvane {
namespace Neon {

inline void reportGpuFailure(PF_OutData* out_data) {
    if (out_data == nullptr) {
        return;
    }
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    std::snprintf(out_data->return_msg, sizeof out_data->return_msg,
                  "%s could not create its OpenGL context on this GPU.", kEffectName);
}

template <typename Command> PF_Err runGuarded(PF_OutData* out_data, Command&& command) noexcept {
    try {
        return command();
    } catch (A_long) {
        return PF_Err_BAD_CALLBACK_PARAM;
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (const DRAWBOT_Exception& e) {
        return e.code;
    } catch (...) {
        reportGpuFailure(out_data);
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

} // namespace Neon
} // namespace Kelvane
