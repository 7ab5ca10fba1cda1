// The basic suite: the host hands out every other suite through it, by name and version.
#ifndef __SPBasic__
#define __SPBasic__

#include "SPTypes.h"
#include <stddef.h>
#include "SPErrorCodes.h"

#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

typedef struct SPBasicSuite {
    SPAPI SPErr (*AcquireSuite)(const char* name, int32 version, const void** suite);
    SPAPI SPErr (*ReleaseSuite)(const char* name, int32 version);
    SPAPI SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPAPI SPErr (*AllocateBlock)(size_t size, void** block);
    SPAPI SPErr (*FreeBlock)(void* block);
    SPAPI SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
    SPAPI SPErr (*Undefined)(void);
} SPBasicSuite;

#endif
