#include "Terminal.h"

#include <io.h>
#include <stdio.h>

namespace zarvo {

bool standardErrorIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

} // namespace zarvo
