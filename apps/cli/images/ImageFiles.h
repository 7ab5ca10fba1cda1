// Reading and writing image files for the command line, the format picked by the file name:
// PAM (.pam) in every build, and where the build has the image library, any format it knows.
// Images are 8-bit RGBA with straight alpha.
#pragma once

#include "standins/aehost/host/World.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Kelvane::Neon::Apps {

struct ImageFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Refuses anything but a regular file before it is opened: a device such as /dev/zero never
// ends and a pipe waits for a writer.
inline void requireRegularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw ImageFileError("cannot read image " + path + ": " + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        throw ImageFileError("cannot read image " + path +
                             ": it is not a regular file (a folder, device or pipe)");
    }
}

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size the file's header gives, its pixels left undecoded, so that a frame too large to
// render is refused before memory of its size is taken. Refuses what readImage refuses from
// the header: no regular file, no image it can read, sides above
// Kelvane::Neon::Host::kMaxLayerSide.
ImageSize readImageSize(const std::string& path);

// Images without alpha come in opaque; grey images are spread to red, green and blue. Only
// regular files are read; sides above Kelvane::Neon::Host::kMaxLayerSide are refused before any
// pixel memory is taken, and so is a file the decoder finds damaged or cut short.
Kelvane::Neon::Host::RgbaImage readImage(const std::string& path);
// Written to a temporary file beside `path` and renamed over it, so a failed write leaves no
// half-written file and keeps any earlier one.
void writeImage(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image);

} // namespace Kelvane::Neon::Apps
