// Per-thread last error, as Win32 keeps it.

#include "standins/win32/Internal.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

void Kelvane::Neon::StandIn::detail::setError(DWORD error) {
    lastError = error;
}

DWORD WINAPI GetLastError() {
    Kelvane::Neon::StandIn::detail::enter(Kelvane::Neon::StandIn::detail::Fn::GetLastError);
    return lastError;
}

void WINAPI SetLastError(DWORD error) {
    Kelvane::Neon::StandIn::detail::enter(Kelvane::Neon::StandIn::detail::Fn::SetLastError);
    lastError = error;
}
