// Guarded, and without the published header's refusal to be included alone.
#ifndef _H_AE_EffectSuitesOld
#define _H_AE_EffectSuitesOld
#endif
