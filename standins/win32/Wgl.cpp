// WGL rendering contexts as surfaceless EGL contexts, with WGL's rules: a context needs a DC
// with a pixel format, is current on at most one thread, and keeps its handle for life; a new
// context may get the handle value of one just deleted, as on Windows.
//
// A host on Linux has its own context current on the thread it calls from, GLX or EGL, which
// WGL cannot see; one current context per thread is all a driver allows. Making one of ours
// current there sets the host's aside, and releasing ours makes the host's current again, as
// a Windows host finds its own WGL context restored when the module returns.

#include "standins/win32/EglDisplay.h"
#include "standins/win32/Internal.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

struct HGLRC__ {
    EGLContext egl;
    int pixelFormat;             // of the DC it was made for; wglMakeCurrent insists on it
    std::vector<EGLint> attribs; // kept so wglShareLists can re-create the context
    std::thread::id owner;       // thread it is current on; default id when none
    bool everCurrent;            // once current, it may no longer join a share group
};

using namespace Kelvane::Neon::StandIn::detail;

namespace {

// Never destroyed: threads ending during process exit still release their contexts.
std::unordered_map<HGLRC, std::unique_ptr<HGLRC__>>& contexts() {
    static auto* records = new std::unordered_map<HGLRC, std::unique_ptr<HGLRC__>>;
    return *records;
}

// Records of deleted contexts, the latest last: Windows reuses handle values readily, so a new
// context takes the latest one's address and code that holds on to a dead handle shows here.
std::vector<std::unique_ptr<HGLRC__>>& freedContexts() {
    static auto* records = new std::vector<std::unique_ptr<HGLRC__>>;
    return *records;
}

HGLRC__* findContext(HGLRC context) {
    auto it = contexts().find(context);
    return it == contexts().end() ? nullptr : it->second.get();
}

bool ownedElsewhere(const HGLRC__& context) {
    return context.owner != std::thread::id() && context.owner != std::this_thread::get_id();
}

// GLX as the host loaded it; null when no GLX library is in the process (then no GLX context
// can be current). Types kept opaque: Display*, GLXDrawable (an XID), GLXContext.
struct Glx {
    void* (*getCurrentContext)();
    void* (*getCurrentDisplay)();
    unsigned long (*getCurrentDrawable)();
    unsigned long (*getCurrentReadDrawable)();
    int (*makeContextCurrent)(void*, unsigned long, unsigned long, void*);
};

// Resolved once found, under tableLock(): a host does not unload its GL library. Until then it
// is looked for again, as a host may load it after its first call.
const Glx* loadedGlx() {
    static Glx glx{};
    if (glx.makeContextCurrent)
        return &glx;
    for (const char* library : {"libGLX.so.0", "libGL.so.1"}) {
        void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
        if (!handle)
            continue;
        Glx found;
        found.getCurrentContext =
            reinterpret_cast<void* (*)()>(dlsym(handle, "glXGetCurrentContext"));
        found.getCurrentDisplay =
            reinterpret_cast<void* (*)()>(dlsym(handle, "glXGetCurrentDisplay"));
        found.getCurrentDrawable =
            reinterpret_cast<unsigned long (*)()>(dlsym(handle, "glXGetCurrentDrawable"));
        found.getCurrentReadDrawable =
            reinterpret_cast<unsigned long (*)()>(dlsym(handle, "glXGetCurrentReadDrawable"));
        found.makeContextCurrent =
            reinterpret_cast<int (*)(void*, unsigned long, unsigned long, void*)>(
                dlsym(handle, "glXMakeContextCurrent"));
        // The library stays loaded by the host; our reference is not needed.
        dlclose(handle);
        if (found.getCurrentContext && found.getCurrentDisplay && found.getCurrentDrawable &&
            found.getCurrentReadDrawable && found.makeContextCurrent) {
            glx = found;
            return &glx;
        }
    }
    return nullptr;
}

// The host's context set aside while one of ours is current on the thread, and the EGL client
// API the thread had bound.
struct HostContext {
    enum class Api { None, Glx, Egl } api = Api::None;
    EGLenum boundApi = EGL_NONE;
    void* glxDisplay = nullptr;
    unsigned long glxDraw = 0, glxRead = 0;
    void* glxContext = nullptr;
    EGLDisplay eglDisplay = EGL_NO_DISPLAY;
    EGLSurface eglDraw = EGL_NO_SURFACE, eglRead = EGL_NO_SURFACE;
    EGLContext eglContext = EGL_NO_CONTEXT;
};

bool setHostAside(HostContext& host) {
    host.boundApi = eglQueryAPI();
    if (const Glx* glx = loadedGlx(); glx && glx->getCurrentContext()) {
        host.api = HostContext::Api::Glx;
        host.glxDisplay = glx->getCurrentDisplay();
        host.glxDraw = glx->getCurrentDrawable();
        host.glxRead = glx->getCurrentReadDrawable();
        host.glxContext = glx->getCurrentContext();
        return glx->makeContextCurrent(host.glxDisplay, 0, 0, nullptr) != 0;
    }
    // EGL may keep a current context per client API; the host's may be under either.
    for (EGLenum api : {EGLenum(EGL_OPENGL_API), EGLenum(EGL_OPENGL_ES_API)}) {
        if (!eglBindAPI(api) || eglGetCurrentContext() == EGL_NO_CONTEXT)
            continue;
        host.api = HostContext::Api::Egl;
        host.eglDisplay = eglGetCurrentDisplay();
        host.eglDraw = eglGetCurrentSurface(EGL_DRAW);
        host.eglRead = eglGetCurrentSurface(EGL_READ);
        host.eglContext = eglGetCurrentContext();
        return eglMakeCurrent(host.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    return true;
}

void restoreHost(HostContext& host) {
    if (host.api == HostContext::Api::Glx) {
        if (const Glx* glx = loadedGlx())
            glx->makeContextCurrent(host.glxDisplay, host.glxDraw, host.glxRead, host.glxContext);
    } else if (host.api == HostContext::Api::Egl) {
        EGLint api = EGL_NONE;
        eglQueryContext(host.eglDisplay, host.eglContext, EGL_CONTEXT_CLIENT_TYPE, &api);
        eglBindAPI(EGLenum(api));
        eglMakeCurrent(host.eglDisplay, host.eglDraw, host.eglRead, host.eglContext);
    }
    if (host.boundApi != EGL_NONE)
        eglBindAPI(host.boundApi);
    host = HostContext{};
}

struct Current {
    HGLRC context = nullptr;
    HDC dc = nullptr;
    HostContext host; // the host's, while ours is current
    ~Current();
};

Current& current() {
    static thread_local Current state;
    return state;
}

// Releases our context, if any, and gives the thread back the host's.
void releaseLocked(Current& state, bool restore = true) {
    if (state.context) {
        eglMakeCurrent(eglDisplay()->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        state.context->owner = {};
        state.context = nullptr;
        state.dc = nullptr;
    }
    if (restore)
        restoreHost(state.host);
}

// A thread that ends leaves its context free for other threads, the host's included.
Current::~Current() {
    if (!context)
        return;
    std::lock_guard<std::mutex> lock(tableLock());
    releaseLocked(*this, false);
    eglReleaseThread();
}

DWORD errorFromEgl(DWORD onMismatch) {
    switch (eglGetError()) {
    case EGL_BAD_ALLOC:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EGL_BAD_MATCH:
    case EGL_BAD_ATTRIBUTE:
        return onMismatch;
    default:
        return ERROR_INVALID_OPERATION;
    }
}

EGLContext createEgl(const std::vector<EGLint>& attribs, EGLContext share, DWORD onMismatch) {
    const EglDisplay* display = eglDisplay();
    const EGLenum bound = eglQueryAPI(); // the host's, left as it was
    if (!display || !bindOpenGlApi()) {
        setError(ERROR_NOT_SUPPORTED);
        return EGL_NO_CONTEXT;
    }
    EGLContext egl = eglCreateContext(display->display, display->config, share, attribs.data());
    const DWORD error = egl == EGL_NO_CONTEXT ? errorFromEgl(onMismatch) : 0;
    eglBindAPI(bound);
    if (egl == EGL_NO_CONTEXT)
        setError(error);
    return egl;
}

HGLRC createLocked(HDC dc, std::vector<EGLint> attribs, EGLContext share, DWORD onMismatch) {
    const int format = dcPixelFormatLocked(dc);
    if (format <= 0) {
        setError(format < 0 ? ERROR_INVALID_HANDLE : ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    EGLContext egl = createEgl(attribs, share, onMismatch);
    if (egl == EGL_NO_CONTEXT)
        return nullptr;
    HGLRC__ fresh{egl, format, std::move(attribs), {}, false};
    std::unique_ptr<HGLRC__> record;
    if (freedContexts().empty()) {
        record = std::make_unique<HGLRC__>(std::move(fresh));
    } else {
        record = std::move(freedContexts().back());
        freedContexts().pop_back();
        *record = std::move(fresh);
    }
    HGLRC handle = record.get();
    contexts().emplace(handle, std::move(record));
    return handle;
}

bool validVersion(int major, int minor) {
    static const int kLastMinor[] = {-1, 5, 1, 3, 6}; // by major version: 1.5, 2.1, 3.3, 4.6
    return major >= 1 && major <= 4 && minor >= 0 && minor <= kLastMinor[major];
}

// WGL attribute list to EGL; false (last error set) for what WGL_ARB_create_context rejects.
bool translateAttribs(const int* list, std::vector<EGLint>& out) {
    int major = 1, minor = 0, flags = 0;
    int profile = WGL_CONTEXT_CORE_PROFILE_BIT_ARB; // WGL's default, unlike EGL's
    for (; list && list[0] != 0; list += 2) {
        switch (list[0]) {
        case WGL_CONTEXT_MAJOR_VERSION_ARB:
            major = list[1];
            break;
        case WGL_CONTEXT_MINOR_VERSION_ARB:
            minor = list[1];
            break;
        case WGL_CONTEXT_FLAGS_ARB:
            flags = list[1];
            break;
        case WGL_CONTEXT_PROFILE_MASK_ARB:
            profile = list[1];
            break;
        case WGL_CONTEXT_LAYER_PLANE_ARB:
            if (list[1] == PFD_MAIN_PLANE)
                break;
            [[fallthrough]];
        default:
            setError(ERROR_INVALID_PARAMETER);
            return false;
        }
    }
    if (!validVersion(major, minor)) {
        setError(ERROR_INVALID_VERSION_ARB);
        return false;
    }
    if (flags & ~(WGL_CONTEXT_DEBUG_BIT_ARB | WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB)) {
        setError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const bool hasProfiles = major > 3 || (major == 3 && minor >= 2);
    if (hasProfiles && profile != WGL_CONTEXT_CORE_PROFILE_BIT_ARB &&
        profile != WGL_CONTEXT_COMPATIBILITY_PROFILE_BIT_ARB) {
        setError(ERROR_INVALID_PROFILE_ARB);
        return false;
    }
    // Flag and profile bits have the same values in EGL_KHR_create_context.
    out = {EGL_CONTEXT_MAJOR_VERSION_KHR, major, EGL_CONTEXT_MINOR_VERSION_KHR, minor};
    if (flags)
        out.insert(out.end(), {EGL_CONTEXT_FLAGS_KHR, flags});
    if (hasProfiles)
        out.insert(out.end(), {EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR, profile});
    out.push_back(EGL_NONE);
    return true;
}

bool makeCurrentLocked(HDC dc, HGLRC context) {
    Current& state = current();
    if (!context) {
        releaseLocked(state);
        return true;
    }
    HGLRC__* record = findContext(context);
    if (!record) {
        setError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (ownedElsewhere(*record)) {
        setError(ERROR_BUSY);
        return false;
    }
    const int format = dcPixelFormatLocked(dc);
    if (format < 0) {
        setError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (format != record->pixelFormat) {
        setError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    if (!state.context && !setHostAside(state.host)) {
        setError(ERROR_INVALID_OPERATION);
        return false;
    }
    if (!bindOpenGlApi() ||
        !eglMakeCurrent(eglDisplay()->display, EGL_NO_SURFACE, EGL_NO_SURFACE, record->egl)) {
        setError(ERROR_INVALID_OPERATION);
        return false;
    }
    if (state.context && state.context != context)
        state.context->owner = {};
    record->owner = std::this_thread::get_id();
    record->everCurrent = true;
    state.context = context;
    state.dc = dc;
    return true;
}

const char* WINAPI wglGetExtensionsStringARB(HDC dc) {
    if (!enter(Fn::wglGetExtensionsStringARB))
        return nullptr;
    std::lock_guard<std::mutex> lock(tableLock());
    if (dcPixelFormatLocked(dc) < 0) {
        setError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return extensionString();
}

HGLRC WINAPI wglCreateContextAttribsARB(HDC dc, HGLRC share, const int* attribList) {
    if (!enter(Fn::wglCreateContextAttribsARB))
        return nullptr;
    std::vector<EGLint> attribs;
    if (!translateAttribs(attribList, attribs))
        return nullptr;
    std::lock_guard<std::mutex> lock(tableLock());
    HGLRC__* shared = share ? findContext(share) : nullptr;
    if (share && !shared) {
        setError(ERROR_INVALID_OPERATION);
        return nullptr;
    }
    return createLocked(dc, std::move(attribs), shared ? shared->egl : EGL_NO_CONTEXT,
                        ERROR_INVALID_VERSION_ARB);
}

} // namespace

HGLRC WINAPI wglCreateContext(HDC dc) {
    if (!enter(Fn::wglCreateContext))
        return nullptr;
    std::lock_guard<std::mutex> lock(tableLock());
    // No version asked: EGL then gives the newest compatibility-profile context, as WGL does.
    return createLocked(dc, {EGL_NONE}, EGL_NO_CONTEXT, ERROR_INVALID_OPERATION);
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (!enter(Fn::wglDeleteContext))
        return FALSE;
    std::lock_guard<std::mutex> lock(tableLock());
    HGLRC__* record = findContext(context);
    if (!record) {
        setError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ownedElsewhere(*record)) {
        setError(ERROR_BUSY);
        return FALSE;
    }
    if (current().context == context)
        releaseLocked(current());
    eglDestroyContext(eglDisplay()->display, record->egl);
    auto it = contexts().find(context);
    freedContexts().push_back(std::move(it->second));
    contexts().erase(it);
    return TRUE;
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    const bool injectedFailure = !enter(Fn::wglMakeCurrent);
    std::lock_guard<std::mutex> lock(tableLock());
    if (!injectedFailure && makeCurrentLocked(dc, context))
        return TRUE;
    // Win32: a failed wglMakeCurrent leaves the thread without a current context.
    releaseLocked(current());
    return FALSE;
}

HGLRC WINAPI wglGetCurrentContext() {
    enter(Fn::wglGetCurrentContext);
    return current().context;
}

HDC WINAPI wglGetCurrentDC() {
    enter(Fn::wglGetCurrentDC);
    return current().dc;
}

// Answers only with a context current on the calling thread, as on Windows.
PROC WINAPI wglGetProcAddress(LPCSTR name) {
    // void(*)() converts to and from any function pointer type without a warning.
    using AnyFunction = void (*)();
    struct Entry {
        const char* name;
        const char* extension;
        AnyFunction proc;
    };
    static const Entry kEntries[] = {
        {"wglGetExtensionsStringARB", "WGL_ARB_extensions_string",
         reinterpret_cast<AnyFunction>(&wglGetExtensionsStringARB)},
        {"wglCreateContextAttribsARB", "WGL_ARB_create_context",
         reinterpret_cast<AnyFunction>(&wglCreateContextAttribsARB)},
    };
    if (!enter(Fn::wglGetProcAddress))
        return nullptr;
    if (!current().context) {
        setError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!name) {
        setError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (const Entry& entry : kEntries) {
        if (std::strcmp(name, entry.name) == 0 && extensionEnabled(entry.extension))
            return reinterpret_cast<PROC>(entry.proc);
    }
    if (std::strncmp(name, "wgl", 3) != 0) {
        if (auto proc = eglGetProcAddress(name))
            return reinterpret_cast<PROC>(proc);
    }
    setError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

// EGL fixes sharing at creation, so the destination's EGL context is re-created inside the
// source's share group behind the same handle. As strict as the real platforms: a destination
// that has ever been current is refused (Wine refuses it outright; drivers refuse a context
// holding objects). The source may well be current.
BOOL WINAPI wglShareLists(HGLRC source, HGLRC destination) {
    if (!enter(Fn::wglShareLists))
        return FALSE;
    std::lock_guard<std::mutex> lock(tableLock());
    HGLRC__* from = findContext(source);
    HGLRC__* to = findContext(destination);
    if (!from || !to || from == to) {
        setError(!from || !to ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ownedElsewhere(*to)) {
        setError(ERROR_BUSY);
        return FALSE;
    }
    if (to->everCurrent) {
        setError(ERROR_INVALID_OPERATION);
        return FALSE;
    }
    EGLContext replacement = createEgl(to->attribs, from->egl, ERROR_INVALID_OPERATION);
    if (replacement == EGL_NO_CONTEXT)
        return FALSE;
    eglDestroyContext(eglDisplay()->display, to->egl);
    to->egl = replacement;
    return TRUE;
}

std::size_t Kelvane::Neon::StandIn::liveContextCount() {
    std::lock_guard<std::mutex> lock(tableLock());
    return contexts().size();
}
