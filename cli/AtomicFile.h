// Whole-or-nothing file writes: write to a temporary file beside the target, then put it in the
// target's place, so a failed write leaves no half-written file and keeps any earlier one.
// One implementation per platform (AtomicFilePosix.cpp, AtomicFileWin32.cpp).
#pragma once

#include <string>

namespace zarvo {

// A hidden name in the target's own folder (a rename never crosses file systems), unique to
// this process and call, ending in the target's extension so writers that pick a format by
// name pick the same one.
std::string temporaryBeside(const std::string& target);

// Puts `temporary` in the place of `target`, replacing any file there. On failure the temporary
// is removed and ImageFileError says why.
void replaceWith(const std::string& temporary, const std::string& target);

} // namespace zarvo
