#pragma once
// The process-wide EGL display that every WGL context lives on.

#ifndef EGL_NO_X11
#define EGL_NO_X11
#endif
#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace Kelvane::Neon::StandIn::detail {

struct EglDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr; // EGL_NO_CONFIG_KHR where configless contexts are supported
    const char* platform = "";
};

// Opened on first use, once per process; nullptr when no display offers surfaceless OpenGL.
const EglDisplay* eglDisplay();

// The bound client API is per thread in EGL; call before creating or making current.
bool bindOpenGlApi();

} // namespace Kelvane::Neon::StandIn::detail
