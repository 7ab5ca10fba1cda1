#include "ImageFiles.h"

#include "AtomicFile.h"
#include "PamFile.h"

#include <OpenImageIO/imageio.h>

#include <cstdio>

namespace zarvo {

aehost::RgbaImage readImage(const std::string& path) {
    if (isPamName(path)) {
        return readPamFile(path);
    }
    // Our pixels carry straight alpha: ask for them as the file holds them, not premultiplied.
    OIIO::ImageSpec hints;
    hints.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &hints);
    if (!in) {
        throw ImageFileError("cannot read image " + path + ": " + OIIO::geterror());
    }
    const OIIO::ImageSpec layout = in->spec_dimensions(0, 0);
    const int channels = layout.nchannels;
    if (layout.width <= 0 || layout.height <= 0 || channels < 1) {
        throw ImageFileError(path + " holds no pixels");
    }
    std::vector<std::uint8_t> raw(std::size_t(layout.width) * layout.height * channels);
    if (!in->read_image(0, 0, 0, channels, OIIO::TypeDesc::UINT8, raw.data())) {
        throw ImageFileError("cannot read image " + path + ": " + in->geterror());
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
