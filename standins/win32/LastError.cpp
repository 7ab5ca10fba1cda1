// Per-thread last error, as Win32 keeps it.

#include "standins/win32/Internal.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

void win32standin::detail::setError(DWORD error) {
    lastError = error;
}

DWORD WINAPI GetLastError() {
    win32standin::detail::enter(win32standin::detail::Fn::GetLastError);
    return lastError;
}

void WINAPI SetLastError(DWORD error) {
    win32standin::detail::enter(win32standin::detail::Fn::SetLastError);
    lastError = error;
}
