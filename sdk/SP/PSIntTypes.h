// Fixed-size integers under the names the basic suite's headers use.
#ifndef __PSIntTypes__
#define __PSIntTypes__

#include <stdint.h>

typedef int32_t int32;
typedef uint32_t uint32;

#endif
