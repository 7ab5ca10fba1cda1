#include "effect/gl/SavedContextGuard.h"

namespace Kelvane {
namespace Neon {

SavedContextGuard::SavedContextGuard() : restored(false), savedDC(nullptr), savedContext(nullptr) {
    savedContext = wglGetCurrentContext();
    savedDC = wglGetCurrentDC();
}

SavedContextGuard::~SavedContextGuard() {
    restore();
}

void SavedContextGuard::restore() {
    if (restored) {
        return;
    }
    if (wglGetCurrentContext() != savedContext || wglGetCurrentDC() != savedDC) {
        if (!wglMakeCurrent(savedDC, savedContext)) {
            GetLastError();
        }
    }
    restored = true;
}

} // namespace Neon
} // namespace Kelvane
