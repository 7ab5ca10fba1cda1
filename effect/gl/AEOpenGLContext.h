// One hidden window, its device context and one WGL rendering context. Made current on the
// constructing thread; owned and deleted by ContextRegistry. A context made to share with
// another is an OpenGL 3.3 context in that one's share group; one made alone is a plain
// WGL context.
#pragma once

#include "standins/win32/Win32Api.h"

#include <string>
#include <thread>

namespace Kelvane {
namespace Neon {

class AEOpenGLContext {
public:
    // Throws AESDK_OpenGL_Fault(1) on any failure, after releasing what it had made.
    explicit AEOpenGLContext(AEOpenGLContext* shareWith);
    virtual ~AEOpenGLContext();
    AEOpenGLContext(const AEOpenGLContext&) = delete;
    AEOpenGLContext& operator=(const AEOpenGLContext&) = delete;

    // Makes this context current on the calling thread and points the binding at it.
    void makeCurrent();

    HDC hdc = nullptr;
    HGLRC hglrc = nullptr;
    HWND hwnd = nullptr;
    std::string className;

private:
    HWND createHiddenWindow();
    HGLRC createRenderingContext(HDC dc, HGLRC shareHandle);
    void releaseAll();

    std::thread::id creator_ = std::this_thread::get_id();
};

// Writes the version, vendor, renderer and binding revision of the current context to stdout.
void printContextInfo();

} // namespace Neon
} // namespace Kelvane
