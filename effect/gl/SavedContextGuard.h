// Remembers the WGL context and device context current on the calling thread when a host
// command begins, and makes them current again when it ends (explicitly or on unwinding).
#pragma once

#include "standins/win32/Win32Api.h"

namespace Kelvane {
namespace Neon {

class SavedContextGuard {
public:
    SavedContextGuard();
    ~SavedContextGuard();
    SavedContextGuard(const SavedContextGuard&) = delete;
    SavedContextGuard& operator=(const SavedContextGuard&) = delete;

    void restore();

private:
    bool restored;
    HDC savedDC;
    HGLRC savedContext;
};

} // namespace Neon
} // namespace Kelvane
