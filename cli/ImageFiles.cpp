#include "ImageFiles.h"

#include "AtomicFile.h"
#include "PamFile.h"

#include <OpenImageIO/imageio.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zarvo {
namespace {

// The library's message on one line: decoders report a chain of lines.
std::string oneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, "; ");
    }
    return text;
}

} // namespace

aehost::RgbaImage readImage(const std::string& path) {
    requireRegularFile(path);
    if (isPamName(path)) {
        return readPamFile(path);
    }
    // Our pixels carry straight alpha: ask for them as the file holds them, not premultiplied.
    OIIO::ImageSpec hints;
    hints.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &hints);
    if (!in) {
        throw ImageFileError("cannot read image " + path + ": " + oneLine(OIIO::geterror()));
    }
    const OIIO::ImageSpec layout = in->spec_dimensions(0, 0);
    const int channels = layout.nchannels;
    if (layout.width <= 0 || layout.height <= 0 || channels < 1) {
        throw ImageFileError(path + " holds no pixels");
    }
    // Checked before the pixels are allocated: a header alone can claim gigabytes.
    if (layout.width > aehost::kMaxLayerSide || layout.height > aehost::kMaxLayerSide) {
        throw ImageFileError("cannot read image " + path + ": it is " +
                             std::to_string(layout.width) + "x" + std::to_string(layout.height) +
                             " pixels, and a layer is at most " +
                             std::to_string(aehost::kMaxLayerSide) + " pixels a side");
    }
    std::vector<std::uint8_t> raw(std::size_t(layout.width) * layout.height * channels);
    // Some decoders (JPEG, uncompressed TIFF) fill what a cut file lacks and still return true;
    // only their error state tells.
    const bool read = in->read_image(0, 0, 0, channels, OIIO::TypeDesc::UINT8, raw.data());
    if (!read || in->has_error()) {
        const std::string why = oneLine(in->geterror());
        throw ImageFileError("cannot read image " + path + ": " +
                             (why.empty() ? "its pixel data is damaged or cut short" : why));
    }
    in->close();

    aehost::RgbaImage image;
    image.width = layout.width;
    image.height = layout.height;
    image.pixels.resize(std::size_t(layout.width) * layout.height * 4);
    const int alphaChannel = layout.alpha_channel >= 0          ? layout.alpha_channel
                             : (channels == 2 || channels >= 4) ? channels - 1
                                                                : -1;
    const bool grey = channels < 3;
    for (std::size_t i = 0; i < std::size_t(layout.width) * layout.height; ++i) {
        const std::uint8_t* src = &raw[i * channels];
        std::uint8_t* dst = &image.pixels[i * 4];
        dst[0] = src[0];
        dst[1] = grey ? src[0] : src[1];
        dst[2] = grey ? src[0] : src[2];
        dst[3] = alphaChannel >= 0 ? src[alphaChannel] : 255;
    }
    return image;
}

void writeImage(const std::string& path, const aehost::RgbaImage& image) {
    // PAM is ours in every build, so files move between builds unchanged.
    if (isPamName(path)) {
        writePamFile(path, image);
        return;
    }
    const std::string temporary = temporaryBeside(path);
    auto out = OIIO::ImageOutput::create(path);
    if (!out) {
        throw ImageFileError("cannot write " + path + ": no image format for its name");
    }
    // Formats without alpha get the colour alone.
    const int channels = out->supports("alpha") ? 4 : 3;
    OIIO::ImageSpec layout(image.width, image.height, channels, OIIO::TypeDesc::UINT8);
    layout.attribute("oiio:UnassociatedAlpha", 1);
    const bool written = out->open(temporary, layout) &&
                         out->write_image(OIIO::TypeDesc::UINT8, image.pixels.data(), 4) &&
                         out->close();
    if (!written) {
        const std::string why = out->geterror();
        std::remove(temporary.c_str());
        throw ImageFileError("cannot write " + path + ": " + why);
    }
    replaceWith(temporary, path);
}

} // namespace zarvo
