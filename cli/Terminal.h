// Whether standard error goes to a terminal, where a progress line redrawn in place can be
// read; a file or pipe would collect every redraw. One implementation per platform
// (TerminalPosix.cpp, TerminalWin32.cpp).
#pragma once

namespace zarvo {

bool standardErrorIsTerminal();

} // namespace zarvo
