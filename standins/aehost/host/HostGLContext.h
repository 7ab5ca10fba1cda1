// An OpenGL context of the host's own, on a hidden window of its own, made through the same
// Win32 stand-in as the module's. Tests make it current before a command to check that the
// module puts it back.
#pragma once

#include "standins/win32/Win32Api.h"

#include <string>

namespace Kelvane::Neon::Host {

class HostGLContext {
public:
    // Throws std::runtime_error when no context can be made.
    HostGLContext();
    ~HostGLContext();
    HostGLContext(const HostGLContext&) = delete;
    HostGLContext& operator=(const HostGLContext&) = delete;

    void makeCurrent() const;
    // The largest frame side this GPU renders (the smaller of its texture and renderbuffer
    // limits), 0 when it does not say; the calling thread's current context is kept.
    int frameLimit() const;
    HDC dc() const { return dc_; }
    HGLRC context() const { return context_; }

private:
    void releaseAll();

    std::string className_;
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

} // namespace Kelvane::Neon::Host
