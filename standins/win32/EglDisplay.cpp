// Picks the EGL display: Mesa's surfaceless platform (llvmpipe without a GPU), then the first
// EGL device, then the default display.

#include "standins/win32/EglDisplay.h"
#include "standins/win32/StandInHooks.h"

#include <cstdio>
#include <cstring>

namespace Kelvane::Neon::StandIn::detail {
namespace {

bool hasExtension(const char* list, const char* name) {
    if (!list)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == '\0' || p[length] == ' ';
        if (starts && ends)
            return true;
    }
    return false;
}

EGLDisplay platformDisplay(EGLenum platform, void* native) {
    if (auto core = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYPROC>(
            eglGetProcAddress("eglGetPlatformDisplay")))
        return core(platform, native, nullptr);
    if (auto ext = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT")))
        return ext(platform, native, nullptr);
    return EGL_NO_DISPLAY;
}

EGLDisplay firstDeviceDisplay() {
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    EGLDeviceEXT device = nullptr;
    EGLint count = 0;
    if (!queryDevices || !queryDevices(1, &device, &count) || count < 1)
        return EGL_NO_DISPLAY;
    return platformDisplay(EGL_PLATFORM_DEVICE_EXT, device);
}

// Initialises `display` and checks it can host surfaceless desktop-GL contexts.
bool adopt(EGLDisplay display, const char* platform, EglDisplay& out) {
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
        return false;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    EGLConfig config = EGL_NO_CONFIG_KHR;
    bool usable = hasExtension(extensions, "EGL_KHR_surfaceless_context") &&
                  hasExtension(eglQueryString(display, EGL_CLIENT_APIS), "OpenGL");
    if (usable && !hasExtension(extensions, "EGL_KHR_no_config_context")) {
        // Surface type 0 matches every config; the default would demand window support.
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0,
                                 EGL_NONE};
        EGLint found = 0;
        usable = eglChooseConfig(display, wanted, &config, 1, &found) && found > 0;
    }
    if (!usable) {
        eglTerminate(display);
        return false;
    }
    out = {display, config, platform};
    return true;
}

const EglDisplay* openDisplay() {
    static EglDisplay chosen;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (hasExtension(client, "EGL_MESA_platform_surfaceless") &&
        adopt(platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY), "surfaceless",
              chosen))
        return &chosen;
    if (hasExtension(client, "EGL_EXT_device_enumeration") &&
        hasExtension(client, "EGL_EXT_platform_device") &&
        adopt(firstDeviceDisplay(), "device", chosen))
        return &chosen;
    if (adopt(eglGetDisplay(EGL_DEFAULT_DISPLAY), "default", chosen))
        return &chosen;
    std::fprintf(stderr, "win32 stand-in: no EGL display offers surfaceless OpenGL contexts "
                         "(tried surfaceless, device and default platforms)\n");
    return nullptr;
}

} // namespace

const EglDisplay* eglDisplay() {
    static const EglDisplay* display = openDisplay();
    return display;
}

bool bindOpenGlApi() {
    return eglQueryAPI() == EGL_OPENGL_API || eglBindAPI(EGL_OPENGL_API);
}

} // namespace Kelvane::Neon::StandIn::detail

std::string Kelvane::Neon::StandIn::displayPlatform() {
    const detail::EglDisplay* display = detail::eglDisplay();
    return display ? display->platform : "";
}
