// Reading and writing image files for the command line, the format picked by the file name:
// PAM (.pam) in every build, and where the build has the image library, any format it knows.
// Images are 8-bit RGBA with straight alpha.
#pragma once

#include "World.h"

#include <stdexcept>
#include <string>

namespace zarvo {

struct ImageFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Images without alpha come in opaque; grey images are spread to red, green and blue.
aehost::RgbaImage readImage(const std::string& path);
// Written to a temporary file beside `path` and renamed over it, so a failed write leaves no
// half-written file and keeps any earlier one.
void writeImage(const std::string& path, const aehost::RgbaImage& image);

} // namespace zarvo
