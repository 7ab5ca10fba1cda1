#include "tests/standins/win32/StandInFixture.h"

#include <future>
#include <thread>

using namespace Kelvane::Neon::StandIn;

// The module fills these records field by field; the layout must be the Windows one.
static_assert(offsetof(WNDCLASSEXA, lpfnWndProc) == 8 && offsetof(WNDCLASSEXA, hInstance) == 24 &&
                  offsetof(WNDCLASSEXA, lpszClassName) == 64 &&
                  offsetof(WNDCLASSEXA, hIconSm) == 72,
              "WNDCLASSEXA layout");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, iPixelType) == 8 &&
                  offsetof(PIXELFORMATDESCRIPTOR, cDepthBits) == 23 &&
                  offsetof(PIXELFORMATDESCRIPTOR, dwLayerMask) == 28,
              "PIXELFORMATDESCRIPTOR layout");

namespace {

WNDCLASSEXA classNamed(const char* name) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = name;
    return wc;
}

} // namespace

using WindowClassTest = StandInTest;

TEST_F(WindowClassTest, NameRegistersOnceIgnoringCase) {
    WNDCLASSEXA wc = classNamed("zarvostandintestclass");
    SetLastError(0);
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_TRUE(isClassRegistered("ZARVOSTANDINTESTCLASS"));

    wc = classNamed("ZarvoSecondClass");
    const ATOM atom = RegisterClassExA(&wc);
    EXPECT_GE(atom, 0xC000);
    HWND byAtom = CreateWindowExA(0, MAKEINTATOM(atom), "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(byAtom, nullptr);
    EXPECT_TRUE(DestroyWindow(byAtom));
    EXPECT_TRUE(UnregisterClassA("ZarvoSecondClass", nullptr));
}

TEST_F(WindowClassTest, RejectsMalformedRegistration) {
    WNDCLASSEXA wc = classNamed("ZarvoMalformed");
    wc.cbSize = 48; // the older WNDCLASSA size
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    wc = classNamed("");
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
    EXPECT_FALSE(isClassRegistered("ZarvoMalformed"));
}

TEST_F(WindowClassTest, UnregisterWaitsForWindowsAndNeedsKnownClass) {
    SetLastError(0);
    EXPECT_FALSE(UnregisterClassA(kClass, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    EXPECT_TRUE(isClassRegistered(kClass));

    EXPECT_TRUE(DestroyWindow(window));
    windows.clear();
    EXPECT_TRUE(UnregisterClassA(kClass, nullptr));
    EXPECT_FALSE(isClassRegistered(kClass));
    EXPECT_FALSE(UnregisterClassA(kClass, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);

    EXPECT_EQ(CreateWindowExA(0, kClass, "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);

    WNDCLASSEXA wc = classNamed(kClass); // re-register so TearDown finds it
    EXPECT_NE(RegisterClassExA(&wc), 0);
}

using WindowTest = StandInTest;

TEST_F(WindowTest, EachWindowOwnsOneDcThatDiesWithIt) {
    HWND other = newWindow();
    EXPECT_EQ(GetDC(window), dc);
    EXPECT_NE(GetDC(other), dc);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(other, dc), 0);
    EXPECT_EQ(liveWindowCount(), 2u);

    EXPECT_TRUE(DestroyWindow(other));
    EXPECT_EQ(liveWindowCount(), 1u);
    EXPECT_EQ(GetDC(other), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(DestroyWindow(other));
    EXPECT_EQ(GetDC(nullptr), nullptr);
}

TEST_F(WindowTest, BelongsToItsThreadAndEndsWithIt) {
    std::promise<HWND> created;
    std::promise<void> release;
    std::thread owner([&] {
        created.set_value(newWindow());
        release.get_future().wait();
    });
    HWND foreign = created.get_future().get();
    ASSERT_NE(foreign, nullptr);
    EXPECT_FALSE(DestroyWindow(foreign));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(liveWindowCount(), 2u);
    release.set_value();
    owner.join();
    EXPECT_EQ(liveWindowCount(), 1u);
    EXPECT_EQ(GetDC(foreign), nullptr);
    windows = {window};
}

using PixelFormatTest = StandInTest;

TEST_F(PixelFormatTest, ChoiceNeedsOpenGlRgbaAndFollowsTheRequest) {
    PIXELFORMATDESCRIPTOR pfd = glDescriptor();
    const int doubleBuffered = ChoosePixelFormat(dc, &pfd);
    EXPECT_GT(doubleBuffered, 0);
    pfd = glDescriptor(0);
    const int singleBuffered = ChoosePixelFormat(dc, &pfd);
    EXPECT_GT(singleBuffered, 0);
    EXPECT_NE(singleBuffered, doubleBuffered);

    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER;
    EXPECT_EQ(ChoosePixelFormat(dc, &pfd), 0);
    pfd = glDescriptor();
    pfd.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(ChoosePixelFormat(dc, &pfd), 0);
    EXPECT_EQ(ChoosePixelFormat(nullptr, &pfd), 0);
    EXPECT_EQ(ChoosePixelFormat(dc, nullptr), 0);
}

TEST_F(PixelFormatTest, IsSetOncePerWindow) {
    PIXELFORMATDESCRIPTOR pfd = glDescriptor();
    const int format = ChoosePixelFormat(dc, &pfd);
    pfd = glDescriptor(0);
    const int otherFormat = ChoosePixelFormat(dc, &pfd);

    EXPECT_FALSE(SetPixelFormat(dc, 0, &pfd));
    EXPECT_FALSE(SetPixelFormat(dc, 1000, &pfd));
    EXPECT_TRUE(SetPixelFormat(dc, format, &pfd));
    EXPECT_TRUE(SetPixelFormat(dc, format, &pfd));
    EXPECT_FALSE(SetPixelFormat(dc, otherFormat, &pfd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);

    HWND fresh = newWindow();
    EXPECT_TRUE(SetPixelFormat(GetDC(fresh), otherFormat, &pfd));
}

TEST(SystemHandleTest, StockHandlesExistAndUnknownOnesFail) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    EXPECT_NE(GetModuleHandleA("libc.so.6"), nullptr);
    EXPECT_EQ(GetModuleHandleA("ZarvoNoSuchModule.aex"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, "NoSuchCursor"), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
}

TEST(LastErrorTest, IsKeptPerThread) {
    SetLastError(1234);
    DWORD seenByOther = 1;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_BUSY);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}
