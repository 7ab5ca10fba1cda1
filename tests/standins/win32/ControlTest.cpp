#include "tests/standins/win32/StandInFixture.h"

#include <stdexcept>

using namespace Kelvane::Neon::StandIn;

using StandInControlTest = StandInTest;

TEST_F(StandInControlTest, CountsEveryCallByName) {
    resetCallCounts();
    GetDC(window);
    GetDC(nullptr); // failed calls count too
    DefWindowProcA(window, 0, 0, 0);
    EXPECT_EQ(callCount("GetDC"), 2u);
    EXPECT_EQ(callCount("DefWindowProcA"), 1u);
    EXPECT_EQ(callCount("ReleaseDC"), 0u);
    resetAll();
    EXPECT_EQ(callCount("GetDC"), 0u);
}

TEST_F(StandInControlTest, MisspeltNamesAreRejected) {
    EXPECT_THROW(callCount("wglMakeCurent"), std::invalid_argument);
    EXPECT_THROW(failCall("SetPixelFromat"), std::invalid_argument);
    EXPECT_THROW(failCall("GetLastError"), std::invalid_argument);
    EXPECT_THROW(failCall("SetPixelFormat", -1), std::invalid_argument);
    EXPECT_THROW(dropExtension("WGL_EXT_swap_control"), std::invalid_argument);
}

TEST_F(StandInControlTest, InjectedFailuresHitTheNextCallsWithoutSideEffects) {
    PIXELFORMATDESCRIPTOR pfd = glDescriptor();
    const int format = ChoosePixelFormat(dc, &pfd);
    pfd = glDescriptor(0);
    const int otherFormat = ChoosePixelFormat(dc, &pfd);

    failCall("SetPixelFormat", 2, ERROR_NOT_ENOUGH_MEMORY);
    SetLastError(0);
    EXPECT_FALSE(SetPixelFormat(dc, format, &pfd));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(SetPixelFormat(dc, format, &pfd));
    // Neither failed call set a format, so any format may still be chosen.
    EXPECT_TRUE(SetPixelFormat(dc, otherFormat, &pfd));
    EXPECT_EQ(callCount("SetPixelFormat"), 3u);

    failCall("CreateWindowExA");
    EXPECT_EQ(newWindow(), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_EQ(liveWindowCount(), 1u);

    failCall("GetDC", 5);
    failCall("GetDC", 0);
    EXPECT_EQ(GetDC(window), dc);
    failCall("ReleaseDC", 3);
    clearFailures();
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}
