#ifndef _H_A
#define _H_A

typedef int A_long;

#endif
