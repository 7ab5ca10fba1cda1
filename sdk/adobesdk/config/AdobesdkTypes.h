// Scalar types shared by the SDK's drawing suites.
#ifndef ADOBESDK_CONFIG_TYPES_H
#define ADOBESDK_CONFIG_TYPES_H

#include <stdint.h>

typedef uint8_t ADOBESDK_Boolean;
typedef uint16_t ADOBESDK_UTF16Char;

typedef ADOBESDK_Boolean DRAWBOT_Boolean;
typedef ADOBESDK_UTF16Char DRAWBOT_UTF16Char;

#endif
