// Runs one command and turns whatever it throws into a host error code, so that no exception
// leaves the entry point: a thrown integer (a host or suite code) becomes 516, an allocation
// failure 4, a drawing failure its own Drawbot code, an OpenGL context that could not be made
// 512 with a message saying so, and any other exception 512 with its own text.
#pragma once

#include "AE_Effect.h"
#include "effect/controls/EffectInfo.h"
#include "effect/gl/AESDK_OpenGL_Fault.h"
#include "effect/ui/DrawbotWrappers.h"

#include <cstdio>
#include <exception>
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

// The host shows one line.
inline void reportInternalError(PF_OutData* out_data, const char* what) {
    if (out_data == nullptr) {
        return;
    }
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    std::snprintf(out_data->return_msg, sizeof out_data->return_msg, "%s hit an internal error: %s",
                  kEffectName, what != nullptr ? what : "");
    for (char* c = out_data->return_msg; *c != '\0'; ++c) {
        if (*c == '\n' || *c == '\r') {
            *c = ' ';
        }
    }
}

template <typename Command> PF_Err runGuarded(PF_OutData* out_data, Command&& command) noexcept {
    try {
        return command();
    } catch (A_long) {
        return PF_Err_BAD_CALLBACK_PARAM;
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (const DrawbotError& e) {
        return e.code;
    } catch (const AESDK_OpenGL_Fault&) {
        reportGpuFailure(out_data);
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    } catch (const std::exception& e) {
        reportInternalError(out_data, e.what());
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    } catch (...) {
        reportInternalError(out_data, "an unknown exception");
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

} // namespace Neon
} // namespace Kelvane
