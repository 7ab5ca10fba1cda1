// Image files for builds without the image library: PAM only.
#include "apps/cli/images/ImageFiles.h"

#include "apps/cli/images/PamFile.h"

namespace Kelvane::Neon::Apps {

namespace {

void requireReadablePam(const std::string& path) {
    requireRegularFile(path);
    if (!isPamName(path)) {
        throw ImageFileError("cannot read image " + path +
                             ": this build reads PAM images (.pam) only");
    }
}

} // namespace

ImageSize readImageSize(const std::string& path) {
    requireReadablePam(path);
    return readPamSize(path);
}

Kelvane::Neon::Host::RgbaImage readImage(const std::string& path) {
    requireReadablePam(path);
    return readPamFile(path);
}

void writeImage(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image) {
    if (!isPamName(path)) {
        throw ImageFileError("cannot write " + path + ": this build writes PAM images (.pam) only");
    }
    writePamFile(path, image);
}

} // namespace Kelvane::Neon::Apps
