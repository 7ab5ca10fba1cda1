#include "standins/aehost/host/HostGLContext.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace Kelvane::Neon::Host {
namespace {
std::atomic<int> counter{0};
} // namespace

HostGLContext::HostGLContext() : className_("AEHost_GL_" + std::to_string(counter++)) {
    WNDCLASSEXA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = className_.c_str();
    if (RegisterClassExA(&wc) == 0) {
        throw std::runtime_error("host: cannot register a window class");
    }
    window_ = CreateWindowExA(0, className_.c_str(), "host", 0, 0, 0, 16, 16, nullptr, nullptr,
                              nullptr, nullptr);
    dc_ = window_ ? GetDC(window_) : nullptr;
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    if (dc_ == nullptr || !SetPixelFormat(dc_, ChoosePixelFormat(dc_, &pfd), &pfd) ||
        (context_ = wglCreateContext(dc_)) == nullptr) {
        releaseAll();
        throw std::runtime_error("host: cannot make an OpenGL context");
    }
}

HostGLContext::~HostGLContext() {
    releaseAll();
}

void HostGLContext::releaseAll() {
    if (context_ != nullptr) {
        if (wglGetCurrentContext() == context_) {
            wglMakeCurrent(nullptr, nullptr);
        }
        wglDeleteContext(context_);
        context_ = nullptr;
    }
    if (window_ != nullptr) {
        ReleaseDC(window_, dc_);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    UnregisterClassA(className_.c_str(), nullptr);
}

void HostGLContext::makeCurrent() const {
    wglMakeCurrent(dc_, context_);
}

int HostGLContext::frameLimit() const {
    constexpr unsigned kMaxTextureSize = 0x0D33;
    constexpr unsigned kMaxRenderbufferSize = 0x84E8;
    using GetIntegerv = void(APIENTRY*)(unsigned, int*);
    HGLRC before = wglGetCurrentContext();
    HDC beforeDc = wglGetCurrentDC();
    makeCurrent();
    // Through void(*)(), which converts to any function pointer type without a warning.
    auto get = reinterpret_cast<GetIntegerv>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("glGetIntegerv")));
#ifdef _WIN32
    // Windows hands out OpenGL 1.1 functions from opengl32.dll only.
    if (get == nullptr) {
        get = reinterpret_cast<GetIntegerv>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("opengl32.dll"), "glGetIntegerv")));
    }
#endif
    int texture = 0, renderbuffer = 0;
    if (get != nullptr) {
        get(kMaxTextureSize, &texture);
        get(kMaxRenderbufferSize, &renderbuffer);
    }
    wglMakeCurrent(beforeDc, before);
    return texture < renderbuffer ? texture : renderbuffer;
}

} // namespace Kelvane::Neon::Host
