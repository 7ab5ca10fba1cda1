// Basic scalar types of the effect API, as the SDK publishes them.
#ifndef _H_A
#define _H_A

#include <stdint.h>

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef int64_t A_intptr_t;
typedef uint64_t A_u_longlong;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Err;
typedef A_u_longlong A_HandleSize;
typedef uint16_t A_UTF16Char;

typedef struct {
    A_long value;
    A_u_long scale;
} A_Time;

// A 4 x 4 matrix of doubles.
typedef struct {
    A_FpLong mat[4][4];
} A_Matrix4;

enum { A_Err_NONE = 0, A_Err_GENERIC = 1, A_Err_STRUCT = 2, A_Err_PARAMETER = 3, A_Err_ALLOC = 4 };

#endif
