// The basic suite: the host hands out every other suite through it, by name and version.
#pragma once

#include "A.h"

#include <cstddef>

typedef A_long SPErr;
typedef A_Boolean SPBoolean;

#define kSPNoError 0
#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

typedef struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char* name, A_long version, const void** suite);
    SPErr (*ReleaseSuite)(const char* name, A_long version);
    SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPErr (*AllocateBlock)(std::size_t size, void** block);
    SPErr (*FreeBlock)(void* block);
    SPErr (*ReallocateBlock)(void* block, std::size_t newSize, void** newblock);
    SPErr (*Undefined)(void);
} SPBasicSuite;
