#pragma once
// Test-only steering of the Win32 stand-in (the zarvo_win32_control library, never shipped):
// call counts, injected failures, a trimmed WGL extension list, a recording URL opener, and
// the stand-in's queries about live objects.
// Function and extension names are checked: an unknown name throws std::invalid_argument,
// so a misspelt name cannot make a test pass silently.

#include "standins/win32/StandInHooks.h"

#include <cstddef>
#include <functional>
#include <string>

namespace Kelvane::Neon::StandIn {

// Calls of a stand-in function (by its Win32 name, e.g. "wglMakeCurrent") since the last reset.
// The entry points handed out by wglGetProcAddress count under their own names.
unsigned long callCount(const std::string& function);
void resetCallCounts();

// Removes an extension from wglGetExtensionsStringARB; wglGetProcAddress then also withholds
// its entry point, as a driver without the extension would.
void dropExtension(const std::string& extension);
void restoreExtensions();

// The next `times` calls of `function` fail as Win32 reports it (the function's failure value,
// `error` as the thread's last error) without doing anything else. Functions that cannot fail
// (GetLastError, wglGetCurrentContext, ...) are rejected. `times` 0 cancels.
void failCall(const std::string& function, int times = 1, DWORD error = ERROR_GEN_FAILURE);
void clearFailures();

// Replaces xdg-open as the target of ShellExecuteA("open", url); the opener returns whether it
// opened the url. nullptr restores xdg-open.
using UrlOpener = std::function<bool(const std::string& url)>;
void setUrlOpener(UrlOpener opener);

// Clears call counts, failures, extension changes and the URL opener; live windows, classes
// and contexts stay.
void resetAll();

} // namespace Kelvane::Neon::StandIn
