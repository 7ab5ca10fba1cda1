#pragma once
// The stand-in's one seam for tests: with no hooks installed (the product) every call goes
// through, every extension is offered and ShellExecuteA opens with xdg-open. The test library
// (StandInControl.h) installs hooks of its own when it is loaded.

#include "standins/win32/Win32StandIn.h"

#include <cstddef>
#include <string>

namespace Kelvane::Neon::StandIn {

class Hooks {
public:
    virtual ~Hooks() = default;
    // Before each call of the function numbered `function` (its place in the stand-in's
    // function list): false fails the call, with `*error` as the thread's last error.
    virtual bool enter(std::size_t function, DWORD* error) = 0;
    virtual bool extensionEnabled(const std::string& extension) = 0;
    // True when the hooks took the url; `*opened` then says whether it opened.
    virtual bool openUrl(const std::string& url, bool* opened) = 0;
};

// Null uninstalls. The hooks must outlive every later call into the stand-in.
void installHooks(Hooks* hooks);

// The function list, in the numbering `enter` sees: Win32 names, and whether each has a
// failure to inject.
struct FunctionInfo {
    const char* name;
    bool failable;
};
const FunctionInfo* functionList(std::size_t* count);
// The WGL extensions the stand-in has, whether offered or not.
const char* const* extensionList(std::size_t* count);

// Queries about live objects.
bool isClassRegistered(const std::string& className);
std::size_t liveWindowCount();
std::size_t liveContextCount();
// The EGL platform behind the contexts: "surfaceless", "device", "default", or "" when no
// display with surfaceless OpenGL could be opened. Opens the display on first use.
std::string displayPlatform();

} // namespace Kelvane::Neon::StandIn
