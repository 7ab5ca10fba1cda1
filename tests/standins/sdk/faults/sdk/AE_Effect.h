// Each fault the names check finds in sdk/, once: A.h not included, a name from another header,
// a name the published SDK lacks.
#ifndef _H_AE_Effect
#define _H_AE_Effect

typedef A_long PF_Err;
typedef struct _PF_CustomUIInfo PF_CustomUIInfo;
enum { PF_CustomEFlag_COMP = 1 };
#define DllExport

#endif
