// PAM image files (netpbm's "P7" format), read and written by our own portable code: the one
// lossless RGBA format every build of the command line has. Reads 8-bit (MAXVAL 255) images
// of tuple type RGB_ALPHA, RGB, GRAYSCALE or GRAYSCALE_ALPHA; writes RGB_ALPHA. Failures throw
// ImageFileError saying what is wrong.
#pragma once

#include "apps/cli/images/ImageFiles.h"
#include "standins/aehost/host/World.h"

#include <iosfwd>
#include <string>

namespace Kelvane::Neon::Apps {

// Whether the file name ends in ".pam", in any case.
bool isPamName(const std::string& path);

// Sides above the host's largest layer are refused, so a header alone cannot ask for gigabytes.
constexpr int kMaxPamSide = Kelvane::Neon::Host::kMaxLayerSide;

// Reads one image that fills the rest of `in`; its pixels come as 8-bit RGBA straight, opaque
// where the file has no alpha, grey spread to red, green and blue.
Kelvane::Neon::Host::RgbaImage decodePam(std::istream& in);
// Writes `image` as RGB_ALPHA, MAXVAL 255. A malformed image is refused before any byte is
// written.
void encodePam(std::ostream& out, const Kelvane::Neon::Host::RgbaImage& image);

Kelvane::Neon::Host::RgbaImage readPamFile(const std::string& path);
// The header's size, checked as readPamFile checks it; no pixel is read.
ImageSize readPamSize(const std::string& path);
// Written whole beside `path` and renamed over it (see AtomicFile.h).
void writePamFile(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image);

} // namespace Kelvane::Neon::Apps
