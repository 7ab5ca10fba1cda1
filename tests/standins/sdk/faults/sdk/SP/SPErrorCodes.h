#ifndef __SPErrorCodes__
#define __SPErrorCodes__

#define kSPNoError 0

#endif
