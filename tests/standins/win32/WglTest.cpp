#include "tests/standins/win32/StandInFixture.h"

#include <glbinding/gl/gl.h>

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <future>
#include <string>
#include <thread>

using namespace gl;
using namespace Kelvane::Neon::StandIn;

namespace {

GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

const GLint kCoreProfile = static_cast<GLint>(GL_CONTEXT_CORE_PROFILE_BIT);
const GLint kCompatibilityProfile = static_cast<GLint>(GL_CONTEXT_COMPATIBILITY_PROFILE_BIT);

GLuint boundTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture); // a texture name becomes an object when bound
    return texture;
}

} // namespace

using WglTest = StandInTest;

TEST_F(WglTest, NothingWithoutAPixelFormatOrACurrentContext) {
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetProcAddress("wglCreateContextAttribsARB"), nullptr);
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    EXPECT_EQ(wglCreateContext(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
}

using WglGLTest = StandInGLTest;

TEST_F(WglGLTest, LegacyContextIsCompatibilityProfileAndAnswersProcAddress) {
    HGLRC context = legacyContext();
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_EQ(wglGetCurrentDC(), dc);
    useGl(context);

    const auto version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_NE(std::string(version), "");
    if (glInteger(GL_MAJOR_VERSION) * 10 + glInteger(GL_MINOR_VERSION) >= 32) {
        EXPECT_EQ(glInteger(GL_CONTEXT_PROFILE_MASK), kCompatibilityProfile);
    }
    glMatrixMode(GL_MODELVIEW); // fixed function exists only outside core profiles
    EXPECT_EQ(glGetError(), GL_NO_ERROR);

    auto extensions = reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetExtensionsStringARB")));
    ASSERT_NE(extensions, nullptr);
    EXPECT_STREQ(extensions(dc), "WGL_ARB_extensions_string WGL_ARB_create_context");
    EXPECT_NE(wglGetProcAddress("wglCreateContextAttribsARB"), nullptr);
    EXPECT_NE(wglGetProcAddress("glGenBuffers"), nullptr);
    EXPECT_EQ(wglGetProcAddress("wglSwapIntervalEXT"), nullptr);
}

TEST_F(WglGLTest, AttribsContextHasTheAskedVersionAndCoreByDefault) {
    HGLRC core = coreContext(3, 3);
    ASSERT_NE(core, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, core));
    useGl(core);
    EXPECT_GE(glInteger(GL_MAJOR_VERSION) * 10 + glInteger(GL_MINOR_VERSION), 33);
    EXPECT_EQ(glInteger(GL_CONTEXT_PROFILE_MASK), kCoreProfile);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);

    const int compatibility[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                                 3,
                                 WGL_CONTEXT_MINOR_VERSION_ARB,
                                 3,
                                 WGL_CONTEXT_PROFILE_MASK_ARB,
                                 WGL_CONTEXT_COMPATIBILITY_PROFILE_BIT_ARB,
                                 0};
    HGLRC compat = attribsContext(compatibility);
    ASSERT_NE(compat, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, compat));
    useGl(compat);
    EXPECT_EQ(glInteger(GL_CONTEXT_PROFILE_MASK), kCompatibilityProfile);
}

TEST_F(WglGLTest, AttribsTheExtensionRejects) {
    EXPECT_EQ(coreContext(5, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_VERSION_ARB);
    EXPECT_EQ(coreContext(3, 4), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_VERSION_ARB);

    const int badProfile[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                              3,
                              WGL_CONTEXT_MINOR_VERSION_ARB,
                              3,
                              WGL_CONTEXT_PROFILE_MASK_ARB,
                              3,
                              0};
    EXPECT_EQ(attribsContext(badProfile), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PROFILE_ARB);

    const int unknown[] = {0x1234, 1, 0};
    EXPECT_EQ(attribsContext(unknown), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    HGLRC stale = wglCreateContext(dc);
    ASSERT_TRUE(wglDeleteContext(stale));
    EXPECT_EQ(coreContext(3, 3, stale), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_OPERATION);
}

TEST_F(WglGLTest, SharedContextsSeeEachOthersObjects) {
    HGLRC first = coreContext();
    HGLRC second = coreContext();
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    useGl(first);
    const GLuint texture = boundTexture();
    ASSERT_TRUE(glIsTexture(texture) == GL_TRUE);

    // The source may be current; the destination must never have been.
    ASSERT_TRUE(wglShareLists(first, second));
    EXPECT_EQ(wglGetCurrentContext(), first);
    ASSERT_TRUE(wglMakeCurrent(dc, second));
    useGl(second);
    EXPECT_TRUE(glIsTexture(texture) == GL_TRUE);

    HGLRC third = coreContext(3, 3, second); // shares the whole group
    ASSERT_NE(third, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, third));
    useGl(third);
    EXPECT_TRUE(glIsTexture(texture) == GL_TRUE);

    EXPECT_FALSE(wglShareLists(first, first));
    EXPECT_EQ(liveContextCount(), 4u); // three plus the bootstrap context
}

TEST_F(WglGLTest, ContextThatHasBeenCurrentCannotJoinAShareGroup) {
    HGLRC source = coreContext();
    HGLRC used = coreContext();
    ASSERT_TRUE(source && used);
    ASSERT_TRUE(wglMakeCurrent(dc, used));
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(wglShareLists(source, used));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_OPERATION);
    EXPECT_TRUE(wglMakeCurrent(dc, used)) << "a refused share leaves the context usable";
}

TEST_F(WglGLTest, DeletedContextIsReleasedAndItsHandleValueReused) {
    HGLRC source = legacyContext();
    HGLRC context = legacyContext();
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    ASSERT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglMakeCurrent(dc, context));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_FALSE(wglShareLists(source, context));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // As on Windows, the next context gets the value back; it is a new, never-current context.
    HGLRC next = wglCreateContext(dc);
    EXPECT_EQ(next, context);
    EXPECT_TRUE(wglShareLists(source, next));
    ASSERT_TRUE(wglMakeCurrent(dc, next));
    EXPECT_TRUE(wglDeleteContext(next));
    EXPECT_EQ(liveContextCount(), 1u);
}

TEST_F(WglGLTest, FailedMakeCurrentLeavesNoContextCurrent) {
    HGLRC context = legacyContext();
    ASSERT_TRUE(wglMakeCurrent(dc, context));

    HWND other = newWindow();
    HDC otherDc = GetDC(other);
    EXPECT_FALSE(wglMakeCurrent(otherDc, context)); // no pixel format there
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);

    PIXELFORMATDESCRIPTOR pfd = glDescriptor(0);
    ASSERT_TRUE(SetPixelFormat(otherDc, ChoosePixelFormat(otherDc, &pfd), &pfd));
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_FALSE(wglMakeCurrent(otherDc, context)); // a different pixel format
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);

    ASSERT_TRUE(wglMakeCurrent(dc, context));
    failCall("wglMakeCurrent");
    EXPECT_FALSE(wglMakeCurrent(dc, context));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(wglMakeCurrent(dc, context));
}

TEST_F(WglGLTest, ContextIsCurrentOnOneThreadAtATime) {
    HGLRC context = coreContext();
    HGLRC spare = coreContext();
    ASSERT_TRUE(wglMakeCurrent(dc, context));

    std::async(std::launch::async, [&] {
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        EXPECT_FALSE(wglMakeCurrent(dc, context));
        EXPECT_EQ(GetLastError(), ERROR_BUSY);
        EXPECT_FALSE(wglDeleteContext(context));
        EXPECT_EQ(GetLastError(), ERROR_BUSY);
        EXPECT_FALSE(wglShareLists(spare, context));
        EXPECT_EQ(GetLastError(), ERROR_BUSY);
    }).get();

    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    std::async(std::launch::async, [&] {
        ASSERT_TRUE(wglMakeCurrent(dc, context));
        useGl(context);
        EXPECT_NE(glGetString(GL_VERSION), nullptr);
        // Ends without releasing: the context must become free again.
    }).get();
    EXPECT_TRUE(wglMakeCurrent(dc, context));
}

TEST_F(WglGLTest, DroppedExtensionHidesItsEntryPoint) {
    HGLRC context = legacyContext();
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    auto extensions = reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetExtensionsStringARB")));
    ASSERT_NE(extensions, nullptr);

    dropExtension("WGL_ARB_create_context");
    EXPECT_STREQ(extensions(dc), "WGL_ARB_extensions_string");
    EXPECT_EQ(wglGetProcAddress("wglCreateContextAttribsARB"), nullptr);
    restoreExtensions();
    EXPECT_STREQ(extensions(dc), "WGL_ARB_extensions_string WGL_ARB_create_context");
    EXPECT_NE(wglGetProcAddress("wglCreateContextAttribsARB"), nullptr);
    EXPECT_EQ(callCount("wglGetExtensionsStringARB"), 2u);
}

TEST_F(WglGLTest, InjectedContextFailures) {
    failCall("wglCreateContext", 1, ERROR_INVALID_PIXEL_FORMAT);
    EXPECT_EQ(legacyContext(), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    EXPECT_EQ(liveContextCount(), 0u);

    failCall("wglCreateContextAttribsARB");
    EXPECT_EQ(coreContext(), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_NE(coreContext(), nullptr);
    EXPECT_EQ(callCount("wglCreateContextAttribsARB"), 2u);
}

// A host's own context (here OpenGL ES over EGL, as a toolkit on Wayland makes) current on the
// calling thread: ours displaces it while current, and releasing ours makes the host's current
// again with its client API bound, as a Windows host gets its WGL context back.
TEST_F(WglGLTest, HostsOwnContextIsCurrentAgainWhenOursIsReleased) {
    EGLDisplay display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    ASSERT_TRUE(eglInitialize(display, nullptr, nullptr));
    ASSERT_TRUE(eglBindAPI(EGL_OPENGL_ES_API));
    const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_NONE};
    EGLContext host = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, version);
    ASSERT_NE(host, EGL_NO_CONTEXT);
    ASSERT_TRUE(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, host));

    HGLRC context = legacyContext();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(wglMakeCurrent(dc, context));
        useGl(context);
        EXPECT_NE(glGetString(GL_VERSION), nullptr);
        EXPECT_NE(eglGetCurrentContext(), host);
        EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
        EXPECT_EQ(eglQueryAPI(), EGLenum(EGL_OPENGL_ES_API));
        EXPECT_EQ(eglGetCurrentContext(), host);
        EXPECT_EQ(eglGetCurrentDisplay(), display);
    }
    // A failed attempt gives it back too.
    failCall("wglMakeCurrent");
    EXPECT_FALSE(wglMakeCurrent(dc, context));
    EXPECT_EQ(eglGetCurrentContext(), host);

    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, host);
    eglBindAPI(EGL_OPENGL_API);
}
