// Window classes, windows and their device contexts, keeping the Win32 rules the GL setup
// relies on: a class registers once and outlives its windows, a window belongs to the thread
// that created it, and a DC's pixel format is set once.

#include "standins/win32/Internal.h"

#include <dlfcn.h>
#include <strings.h>

#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Kelvane::Neon::StandIn::detail {
struct WindowClass {
    std::string name;
    ATOM atom;
    int windows; // live windows of the class
};
} // namespace Kelvane::Neon::StandIn::detail

// One DC per window for its whole life, as with CS_OWNDC.
struct HDC__ {
    HWND window;
    int pixelFormat;
};

struct HWND__ {
    Kelvane::Neon::StandIn::detail::WindowClass* windowClass;
    std::thread::id thread;
    HDC__ dc;
};

struct HINSTANCE__ {
    int unused;
};
struct HICON__ {
    int unused;
};

using namespace Kelvane::Neon::StandIn::detail;

namespace {

// Surfaceless contexts never draw into the window, but the set-once rule needs more than one
// format to mean anything.
struct PixelFormat {
    bool doubleBuffered;
    bool depthStencil;
};
constexpr PixelFormat kPixelFormats[] = {
    {true, true}, {true, false}, {false, true}, {false, false}};
constexpr int kPixelFormatCount = static_cast<int>(std::size(kPixelFormats));

constexpr ATOM kFirstClassAtom = 0xC000; // Win32 class atoms live in 0xC000-0xFFFF

struct Tables {
    std::vector<std::unique_ptr<WindowClass>> classes;
    std::unordered_map<HWND, std::unique_ptr<HWND__>> windows;
    std::unordered_map<HDC, HWND> dcs;
};

// Never destroyed: threads that end during process exit still clean up their windows.
Tables& tables() {
    static auto* state = new Tables;
    return *state;
}

// Class names compare case-insensitively; an integer "name" is a class atom.
WindowClass* findClass(LPCSTR name) {
    if (!name)
        return nullptr;
    for (auto& c : tables().classes) {
        const bool match = IS_INTRESOURCE(name)
                               ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                               : strcasecmp(c->name.c_str(), name) == 0;
        if (match)
            return c.get();
    }
    return nullptr;
}

ATOM freeAtom() {
    for (unsigned atom = kFirstClassAtom; atom <= 0xFFFF; ++atom) {
        if (!findClass(MAKEINTATOM(atom)))
            return static_cast<ATOM>(atom);
    }
    return 0;
}

HWND__* findWindow(HWND window) {
    auto it = tables().windows.find(window);
    return it == tables().windows.end() ? nullptr : it->second.get();
}

HDC__* findDc(HDC dc) {
    return tables().dcs.count(dc) ? dc : nullptr;
}

void destroyLocked(HWND window) {
    --window->windowClass->windows;
    tables().dcs.erase(&window->dc);
    tables().windows.erase(window);
}

// Win32 destroys a thread's windows when the thread ends.
struct ThreadWindows {
    ~ThreadWindows() {
        std::lock_guard<std::mutex> lock(tableLock());
        std::vector<HWND> owned;
        for (auto& entry : tables().windows)
            if (entry.second->thread == std::this_thread::get_id())
                owned.push_back(entry.first);
        for (HWND window : owned)
            destroyLocked(window);
    }
};

void watchThreadExit() {
    static thread_local ThreadWindows watcher;
    (void)watcher;
}

int choosePixelFormat(const PIXELFORMATDESCRIPTOR& pfd) {
    if (!(pfd.dwFlags & PFD_SUPPORT_OPENGL) || pfd.iPixelType != PFD_TYPE_RGBA)
        return 0;
    const bool anyBuffering = pfd.dwFlags & PFD_DOUBLEBUFFER_DONTCARE;
    const bool doubleBuffered = anyBuffering || (pfd.dwFlags & PFD_DOUBLEBUFFER);
    const bool depthStencil = pfd.cDepthBits > 0 || pfd.cStencilBits > 0;
    for (int i = 0; i < kPixelFormatCount; ++i) {
        if (kPixelFormats[i].doubleBuffered == doubleBuffered &&
            kPixelFormats[i].depthStencil == depthStencil)
            return i + 1;
    }
    return 0;
}

} // namespace

int Kelvane::Neon::StandIn::detail::dcPixelFormatLocked(HDC dc) {
    HDC__* record = findDc(dc);
    return record ? record->pixelFormat : -1;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!enter(Fn::RegisterClassExA))
        return 0;
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName ||
        IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName) {
        setError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(tableLock());
    if (findClass(wc->lpszClassName)) {
        setError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    const ATOM atom = freeAtom();
    if (!atom) {
        setError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    tables().classes.push_back(
        std::make_unique<WindowClass>(WindowClass{wc->lpszClassName, atom, 0}));
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    if (!enter(Fn::UnregisterClassA))
        return FALSE;
    std::lock_guard<std::mutex> lock(tableLock());
    WindowClass* windowClass = findClass(className);
    if (!windowClass) {
        setError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (windowClass->windows > 0) {
        setError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& classes = tables().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (it->get() == windowClass) {
            classes.erase(it);
            break;
        }
    }
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND parent,
                            HMENU, HINSTANCE, LPVOID) {
    if (!enter(Fn::CreateWindowExA))
        return nullptr;
    std::lock_guard<std::mutex> lock(tableLock());
    WindowClass* windowClass = findClass(className);
    if (!windowClass) {
        setError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !findWindow(parent)) {
        setError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto record = std::make_unique<HWND__>(HWND__{windowClass, std::this_thread::get_id(), {}});
    HWND window = record.get();
    window->dc = {window, 0};
    tables().windows.emplace(window, std::move(record));
    tables().dcs.emplace(&window->dc, window);
    ++windowClass->windows;
    watchThreadExit();
    return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
    if (!enter(Fn::DestroyWindow))
        return FALSE;
    std::lock_guard<std::mutex> lock(tableLock());
    if (!findWindow(window)) {
        setError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->thread != std::this_thread::get_id()) {
        setError(ERROR_ACCESS_DENIED); // only the creating thread may destroy a window
        return FALSE;
    }
    destroyLocked(window);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    enter(Fn::DefWindowProcA);
    return 0;
}

// NULL names the process; other names match shared objects already loaded.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    static HINSTANCE__ process{};
    if (!enter(Fn::GetModuleHandleA))
        return nullptr;
    if (!moduleName)
        return &process;
    void* loaded = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD);
    if (!loaded) {
        setError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    dlclose(loaded); // GetModuleHandle takes no reference
    return reinterpret_cast<HMODULE>(loaded);
}

// Only the system cursors (NULL instance, ids 32512-32651) exist.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    constexpr ULONG_PTR kFirst = 32512, kLast = 32651;
    static HICON__ systemCursors[kLast - kFirst + 1];
    if (!enter(Fn::LoadCursorA))
        return nullptr;
    const auto id = reinterpret_cast<ULONG_PTR>(cursorName);
    if (instance || !IS_INTRESOURCE(cursorName) || id < kFirst || id > kLast) {
        setError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return &systemCursors[id - kFirst];
}

HGDIOBJ WINAPI GetStockObject(int object) {
    constexpr int kStockObjects = 20; // WHITE_BRUSH (0) to DC_PEN (19); 9 is unused
    static char stock[kStockObjects];
    if (!enter(Fn::GetStockObject))
        return nullptr;
    if (object < 0 || object >= kStockObjects || object == 9)
        return nullptr;
    return &stock[object];
}

HDC WINAPI GetDC(HWND window) {
    if (!enter(Fn::GetDC))
        return nullptr;
    std::lock_guard<std::mutex> lock(tableLock());
    HWND__* record = findWindow(window);
    if (!record) {
        setError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return &record->dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    if (!enter(Fn::ReleaseDC))
        return 0;
    std::lock_guard<std::mutex> lock(tableLock());
    HWND__* record = findWindow(window);
    return record && dc == &record->dc ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    if (!enter(Fn::ChoosePixelFormat))
        return 0;
    std::lock_guard<std::mutex> lock(tableLock());
    if (!findDc(dc)) {
        setError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pfd) {
        setError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int format = choosePixelFormat(*pfd);
    if (!format)
        setError(ERROR_INVALID_PIXEL_FORMAT);
    return format;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!enter(Fn::SetPixelFormat))
        return FALSE;
    std::lock_guard<std::mutex> lock(tableLock());
    HDC__* record = findDc(dc);
    if (!record) {
        setError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool known = format >= 1 && format <= kPixelFormatCount;
    if (!known || (record->pixelFormat != 0 && record->pixelFormat != format)) {
        setError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    record->pixelFormat = format;
    return TRUE;
}

bool Kelvane::Neon::StandIn::isClassRegistered(const std::string& className) {
    std::lock_guard<std::mutex> lock(tableLock());
    return findClass(className.c_str()) != nullptr;
}

std::size_t Kelvane::Neon::StandIn::liveWindowCount() {
    std::lock_guard<std::mutex> lock(tableLock());
    return tables().windows.size();
}
