// The basic suite's own scalar types.
#ifndef __SPTypes__
#define __SPTypes__

#include "PSIntTypes.h"
#include "SPErrorCodes.h"

// The calling convention of the basic suite's functions: the platform's own.
#define SPAPI

typedef int32 SPErr;
// An int on Windows, a byte elsewhere.
#ifdef _WINDOWS
typedef int SPBoolean;
#else
typedef unsigned char SPBoolean;
#endif

#endif
