#include "apps/cli/commands/Terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace Kelvane::Neon::Apps {

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

ModuleOutputAside::ModuleOutputAside(bool quiet) {
    std::cout.flush();
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    const int target = quiet ? ::open("/dev/null", O_WRONLY) : STDERR_FILENO;
    if (saved_ >= 0 && target >= 0) {
        ::dup2(target, STDOUT_FILENO);
    }
    if (quiet && target >= 0) {
        ::close(target);
    }
}

ModuleOutputAside::~ModuleOutputAside() {
    std::cout.flush();
    std::fflush(stdout);
    if (saved_ >= 0) {
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
}

} // namespace Kelvane::Neon::Apps
