#pragma once
// The one header through which the module reaches Win32 and WGL: the system headers on
// Windows, the Linux stand-in everywhere else.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

typedef const char*(WINAPI* PFNWGLGETEXTENSIONSSTRINGARBPROC)(HDC hdc);
typedef HGLRC(WINAPI* PFNWGLCREATECONTEXTATTRIBSARBPROC)(HDC hdc, HGLRC shareContext,
                                                         const int* attribList);
#include "standins/win32/WglArb.h"
#else
#include "standins/win32/Win32StandIn.h"
#endif
