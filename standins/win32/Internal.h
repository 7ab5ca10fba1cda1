#pragma once
// Shared between the stand-in's sources; not part of its interface.

#include "standins/win32/StandInHooks.h"

#include <mutex>
#include <string>

namespace Kelvane::Neon::StandIn::detail {

// Every counted function: its Win32 name and whether it has a failure to inject.
#define WIN32_STANDIN_FUNCTIONS(X)                                                                 \
    X(RegisterClassExA, true)                                                                      \
    X(UnregisterClassA, true)                                                                      \
    X(CreateWindowExA, true)                                                                       \
    X(DestroyWindow, true)                                                                         \
    X(DefWindowProcA, false)                                                                       \
    X(GetModuleHandleA, true)                                                                      \
    X(LoadCursorA, true)                                                                           \
    X(GetStockObject, true)                                                                        \
    X(GetDC, true)                                                                                 \
    X(ReleaseDC, true)                                                                             \
    X(ChoosePixelFormat, true)                                                                     \
    X(SetPixelFormat, true)                                                                        \
    X(GetLastError, false)                                                                         \
    X(SetLastError, false)                                                                         \
    X(ShellExecuteA, true)                                                                         \
    X(wglCreateContext, true)                                                                      \
    X(wglDeleteContext, true)                                                                      \
    X(wglMakeCurrent, true)                                                                        \
    X(wglGetCurrentContext, false)                                                                 \
    X(wglGetCurrentDC, false)                                                                      \
    X(wglGetProcAddress, true)                                                                     \
    X(wglShareLists, true)                                                                         \
    X(wglGetExtensionsStringARB, true)                                                             \
    X(wglCreateContextAttribsARB, true)

enum class Fn {
#define WIN32_STANDIN_ENUM(name, failable) name,
    WIN32_STANDIN_FUNCTIONS(WIN32_STANDIN_ENUM)
#undef WIN32_STANDIN_ENUM
};

// Returns false when the hooks fail the call; the last error is then set and the caller
// returns its failure value without doing anything.
bool enter(Fn function);

void setError(DWORD error);

// Guards windows, classes, DCs and contexts; EGL calls on shared records happen under it too.
std::mutex& tableLock();

// Pixel format of a live DC (0 while unset), -1 for anything else. Caller holds tableLock().
int dcPixelFormatLocked(HDC dc);

bool extensionEnabled(const std::string& extension);
// Space-separated enabled WGL extensions; the pointer stays valid for the process.
const char* extensionString();

// True when installed hooks took the url; `*opened` then says whether it opened.
bool openUrlThroughHooks(const std::string& url, bool* opened);

} // namespace Kelvane::Neon::StandIn::detail
