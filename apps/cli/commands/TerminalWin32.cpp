#include "apps/cli/commands/Terminal.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <iostream>

namespace Kelvane::Neon::Apps {

bool standardErrorIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

// The module shares the C runtime's descriptors with the command, so moving descriptor 1
// moves its output too.
ModuleOutputAside::ModuleOutputAside(bool quiet) {
    std::cout.flush();
    ::fflush(stdout);
    const int out = ::_fileno(stdout);
    saved_ = ::_dup(out);
    const int target = quiet ? ::_open("NUL", _O_WRONLY) : ::_fileno(stderr);
    if (saved_ >= 0 && target >= 0) {
        ::_dup2(target, out);
    }
    if (quiet && target >= 0) {
        ::_close(target);
    }
}

ModuleOutputAside::~ModuleOutputAside() {
    std::cout.flush();
    ::fflush(stdout);
    if (saved_ >= 0) {
        ::_dup2(saved_, ::_fileno(stdout));
        ::_close(saved_);
    }
}

} // namespace Kelvane::Neon::Apps
