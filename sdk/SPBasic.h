// The basic suite: the host hands out every other suite through it, by name and version.
#pragma once

#include "A.h"

#include <cstddef>

typedef A_long SPErr;
// An int on Windows, a byte elsewhere.
#ifdef _WIN32
typedef int SPBoolean;
#else
typedef unsigned char SPBoolean;
#endif

#define kSPNoError 0
#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

typedef struct SPBasicSuite {
    SPAPI SPErr (*AcquireSuite)(const char* name, A_long version, const void** suite);
    SPAPI SPErr (*ReleaseSuite)(const char* name, A_long version);
    SPAPI SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPAPI SPErr (*AllocateBlock)(std::size_t size, void** block);
    SPAPI SPErr (*FreeBlock)(void* block);
    SPAPI SPErr (*ReallocateBlock)(void* block, std::size_t newSize, void** newblock);
    SPAPI SPErr (*Undefined)(void);
} SPBasicSuite;
