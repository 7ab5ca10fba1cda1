#include "Terminal.h"

#include <unistd.h>

namespace zarvo {

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace zarvo
