// Standard streams as the command uses them. One implementation per platform
// (TerminalPosix.cpp, TerminalWin32.cpp).
#pragma once

namespace Kelvane::Neon::Apps {

// Whether standard error goes to a terminal, where a progress line redrawn in place can be
// read; a file or pipe would collect every redraw.
bool standardErrorIsTerminal();

// While it lives, whatever the process writes to standard output (the module's diagnostics:
// the OpenGL block, shader logs) goes to standard error, or nowhere when `quiet`, so the
// command's own standard output carries only what it is asked to print.
class ModuleOutputAside {
public:
    explicit ModuleOutputAside(bool quiet);
    ~ModuleOutputAside();
    ModuleOutputAside(const ModuleOutputAside&) = delete;
    ModuleOutputAside& operator=(const ModuleOutputAside&) = delete;

private:
    int saved_ = -1;
};

} // namespace Kelvane::Neon::Apps
