#pragma once
// A registered class with one window and its DC; GL fixtures add a pixel format and contexts.

#include "standins/win32/Win32Api.h"
#include "standins/win32/StandInControl.h"

#include <glbinding/Binding.h>
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <vector>

class StandInTest : public ::testing::Test {
protected:
    static constexpr const char* kClass = "ZarvoStandInTestClass";

    void SetUp() override {
        Kelvane::Neon::StandIn::resetAll();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClass;
        ASSERT_NE(RegisterClassExA(&wc), 0);
        window = newWindow();
        ASSERT_NE(window, nullptr);
        dc = GetDC(window);
        ASSERT_NE(dc, nullptr);
    }

    void TearDown() override {
        Kelvane::Neon::StandIn::resetAll();
        for (HWND w : windows)
            DestroyWindow(w);
        EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
    }

    HWND newWindow() {
        HWND w =
            CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kClass, "test", WS_OVERLAPPEDWINDOW,
                            0, 0, 64, 64, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (w)
            windows.push_back(w);
        return w;
    }

    static PIXELFORMATDESCRIPTOR glDescriptor(DWORD extraFlags = PFD_DOUBLEBUFFER) {
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | extraFlags;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        pfd.cStencilBits = 8;
        pfd.iLayerType = PFD_MAIN_PLANE;
        return pfd;
    }

    HWND window = nullptr;
    HDC dc = nullptr;
    std::vector<HWND> windows;
};

// glbinding asks GLX for the current context, which knows nothing of EGL, so it is always told.
inline void useGl(HGLRC context) {
    static std::mutex lock;
    static std::set<HGLRC> known;
    std::lock_guard<std::mutex> guard(lock);
    const auto handle = reinterpret_cast<glbinding::ContextHandle>(context);
    if (known.insert(context).second)
        glbinding::Binding::initialize(handle, true, false);
    else
        glbinding::Binding::useContext(handle);
}

class StandInGLTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        ASSERT_FALSE(Kelvane::Neon::StandIn::displayPlatform().empty())
            << "no EGL display for contexts";
        const PIXELFORMATDESCRIPTOR pfd = glDescriptor();
        ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    }

    void TearDown() override {
        Kelvane::Neon::StandIn::resetAll();
        wglMakeCurrent(nullptr, nullptr);
        for (HGLRC c : contexts)
            wglDeleteContext(c);
        EXPECT_EQ(Kelvane::Neon::StandIn::liveContextCount(), 0u);
        StandInTest::TearDown();
    }

    HGLRC legacyContext() { return track(wglCreateContext(dc)); }

    // Through the entry point the module itself would fetch, which needs a current context.
    HGLRC attribsContext(const int* attribs, HGLRC share = nullptr) {
        const HGLRC previous = wglGetCurrentContext();
        const HDC previousDc = wglGetCurrentDC();
        if (!previous) {
            if (!bootstrap)
                bootstrap = legacyContext();
            wglMakeCurrent(dc, bootstrap);
        }
        auto create = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
            reinterpret_cast<void (*)()>(wglGetProcAddress("wglCreateContextAttribsARB")));
        EXPECT_NE(create, nullptr);
        HGLRC context = create ? track(create(dc, share, attribs)) : nullptr;
        const DWORD error = GetLastError();
        wglMakeCurrent(previousDc, previous);
        SetLastError(error);
        return context;
    }

    HGLRC coreContext(int major = 3, int minor = 3, HGLRC share = nullptr) {
        const int attribs[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, major, WGL_CONTEXT_MINOR_VERSION_ARB,
                               minor, 0};
        return attribsContext(attribs, share);
    }

    HGLRC track(HGLRC context) {
        if (context)
            contexts.push_back(context);
        return context;
    }

    std::vector<HGLRC> contexts;
    HGLRC bootstrap = nullptr;
};
