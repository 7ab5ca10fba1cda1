#include "effect/gl/AEOpenGLContext.h"

#include "effect/gl/AESDK_OpenGL_Fault.h"

#include <glbinding/Binding.h>
#include <glbinding/ContextInfo.h>
#include <glbinding/Meta.h>
#include <glbinding/Version.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <sstream>

namespace Kelvane {
namespace Neon {
namespace {

// Resolved whenever an unshared context is made; the attribute function is kept for the
// shared contexts that follow.
PFNWGLGETEXTENSIONSSTRINGARBPROC wglGetExtensionsStringARB = nullptr;
PFNWGLCREATECONTEXTATTRIBSARBPROC wglCreateContextAttribsARB = nullptr;

std::atomic<std::int32_t> windowClassCounter{0};

// PROC is a generic function pointer; going through void(*)() keeps the cast well-defined.
template <typename F> F procAs(PROC proc) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

[[noreturn]] void fail() {
    throw AESDK_OpenGL_Fault(1);
}

glbinding::ContextHandle handleOf(HGLRC context) {
    return static_cast<glbinding::ContextHandle>(reinterpret_cast<std::intptr_t>(context));
}

} // namespace

AEOpenGLContext::AEOpenGLContext(AEOpenGLContext* shareWith) {
    className = std::to_string(reinterpret_cast<std::uint64_t>(this));
    try {
        hwnd = createHiddenWindow();
        hdc = GetDC(hwnd);
        hglrc = createRenderingContext(hdc, shareWith != nullptr ? shareWith->hglrc : nullptr);
    } catch (...) {
        releaseAll();
        throw;
    }
    wglMakeCurrent(hdc, hglrc);
    printContextInfo();
}

AEOpenGLContext::~AEOpenGLContext() {
    releaseAll();
}

void AEOpenGLContext::releaseAll() {
    if (hglrc != nullptr) {
        if (!wglMakeCurrent(nullptr, nullptr)) {
            GetLastError();
        }
        if (!wglDeleteContext(hglrc)) {
            GetLastError();
        }
        hglrc = nullptr;
    }
    if (hdc != nullptr) {
        ReleaseDC(hwnd, hdc);
        hdc = nullptr;
    }
    // Win32 lets only the creating thread destroy a window; elsewhere it stays hidden and the
    // class stays registered (its name is unique, so nothing clashes later).
    if (hwnd != nullptr && creator_ == std::this_thread::get_id()) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    UnregisterClassA(className.c_str(), nullptr);
}

HWND AEOpenGLContext::createHiddenWindow() {
    std::ostringstream name;
    name << "AEOpenGL_Win_Class" << className << "_" << windowClassCounter.load();
    windowClassCounter.fetch_add(1);
    className = name.str();

    WNDCLASSEXA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className.c_str();
    if (RegisterClassExA(&wc) == 0) {
        fail();
    }

    HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, className.c_str(),
                                  "OpenGL-using FBOs in AE", 0, 0, 0, 8, 8, nullptr, nullptr,
                                  nullptr, nullptr);
    if (window == nullptr) {
        UnregisterClassA(className.c_str(), nullptr);
        fail();
    }
    return window;
}

HGLRC AEOpenGLContext::createRenderingContext(HDC dc, HGLRC shareHandle) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0 || !SetPixelFormat(dc, format, &pfd)) {
        fail();
    }

    HGLRC context = nullptr;
    try {
        if (shareHandle == nullptr) {
            context = wglCreateContext(dc);
            if (context == nullptr || !wglMakeCurrent(dc, context)) {
                GetLastError();
                fail();
            }
            wglGetExtensionsStringARB = procAs<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
                wglGetProcAddress("wglGetExtensionsStringARB"));
            if (wglGetExtensionsStringARB == nullptr) {
                fail();
            }
            const char* listed = wglGetExtensionsStringARB(dc);
            const std::string extensions = listed != nullptr ? listed : "";
            if (extensions.find("WGL_ARB_create_context") != std::string::npos) {
                wglCreateContextAttribsARB = procAs<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
                    wglGetProcAddress("wglCreateContextAttribsARB"));
            }
            if (wglCreateContextAttribsARB == nullptr) {
                fail();
            }
            return context;
        }

        if (wglCreateContextAttribsARB == nullptr) {
            fail();
        }
        const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB,
                                  3, 0};
        // Shared at creation: Wine and some drivers refuse to share into a context that has
        // been current or holds objects.
        context = wglCreateContextAttribsARB(dc, shareHandle, attributes);
        if (context == nullptr) {
            fail();
        }
        if (!wglMakeCurrent(dc, context)) {
            GetLastError();
            fail();
        }
        return context;
    } catch (...) {
        if (context != nullptr) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        throw;
    }
}

void AEOpenGLContext::makeCurrent() {
    wglMakeCurrent(hdc, hglrc);
    glbinding::Binding::useContext(handleOf(wglGetCurrentContext()));
}

void printContextInfo() {
    // initialize() returns early, without switching, for a handle value it already knows, and
    // Windows reuses the values of deleted contexts.
    const glbinding::ContextHandle handle = handleOf(wglGetCurrentContext());
    glbinding::Binding::initialize(handle, false, false);
    glbinding::Binding::useContext(handle);
    const std::string renderer = glbinding::ContextInfo::renderer();
    const std::string vendor = glbinding::ContextInfo::vendor();
    const glbinding::Version version = glbinding::ContextInfo::version();

    std::cout << std::endl;
    std::cout << "OpenGL Version:  " << version.toString() << std::endl;
    std::cout << "OpenGL Vendor:   " << vendor << std::endl;
    std::cout << "OpenGL Renderer: " << renderer << std::endl;
    std::cout << "OpenGL Revision: " << glbinding::Meta::glRevision() << " (gl.xml)" << std::endl;
    std::cout << std::endl;
}

} // namespace Neon
} // namespace Kelvane
