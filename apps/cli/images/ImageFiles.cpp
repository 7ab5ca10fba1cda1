#include "apps/cli/images/ImageFiles.h"

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/images/PamFile.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Kelvane::Neon::Apps {
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

// While it lives, the process's standard error goes nowhere. libpng prints its failures and
// warnings itself ("libpng error: ..."), then the image library hands us the same words, and
// the command says them once, naming the file.
class LibraryOutputAside {
public:
    LibraryOutputAside() {
        std::fflush(stderr);
        saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && nowhere >= 0) {
            ::dup2(nowhere, STDERR_FILENO);
        }
        if (nowhere >= 0) {
            ::close(nowhere);
        }
    }
    ~LibraryOutputAside() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    LibraryOutputAside(const LibraryOutputAside&) = delete;
    LibraryOutputAside& operator=(const LibraryOutputAside&) = delete;

private:
    int saved_ = -1;
};

// What a format's colour means next to its alpha, as the image library hands it over.
enum class AlphaKind {
    Straight,      // held straight and passed through as the file holds it
    Premultiplied, // the library reads and writes it premultiplied, whatever the file says
    AsDeclared,    // the file says; the library keeps it straight when asked, and says so
};

// Formats by the library's names for them, each checked on reading and writing: EXR colour is
// premultiplied by definition, and the WebP reader premultiplies (its writer divides back)
// whatever it is told; TIFF and TGA files say which they hold. BMP, DPX, SGI and the rest come
// as stored.
AlphaKind alphaKindOf(const std::string& format) {
    if (format == "openexr" || format == "webp") {
        return AlphaKind::Premultiplied;
    }
    if (format == "tiff" || format == "targa" || format == "png" || format == "heif") {
        return AlphaKind::AsDeclared;
    }
    return AlphaKind::Straight;
}

std::uint8_t toByte(float value) {
    return !(value > 0.0f) ? 0 : value >= 1.0f ? 255 : std::uint8_t(value * 255.0f + 0.5f);
}

// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); !from.empty() && at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A message of the library's about the file it wrote, `written`, naming the user's file instead
// (some messages give the file's name alone).
std::string aboutTarget(const std::string& why, const std::string& written,
                        const PendingFile& file) {
    return replaced(replaced(why, written, file.target()), baseName(file.temporary()),
                    baseName(file.target()));
}

// Opens, writes and closes, checking the library's error state too (some writers return true
// after a failed write), then lets the writer go: some write again as they are destroyed.
// Returns "" or why it failed.
std::string encode(std::unique_ptr<OIIO::ImageOutput> out, const std::string& name,
                   const OIIO::ImageSpec& layout, OIIO::TypeDesc type, const void* pixels,
                   OIIO::stride_t pixelBytes) {
    LibraryOutputAside aside;
    const bool written = out->open(name, layout) && out->write_image(type, pixels, pixelBytes);
    const bool closed = out->close();
    if (written && closed && !out->has_error()) {
        return std::string();
    }
    const std::string why = oneLine(out->geterror());
    out.reset();
    return why.empty() ? "the image library failed without saying why" : why;
}

// Why the file a writer made does not read back whole, or "": the check on writers that
// cannot encode to memory and do not all report a failed write.
std::string unreadable(const std::string& path) {
    LibraryOutputAside aside;
    auto in = OIIO::ImageInput::open(path);
    if (!in) {
        return oneLine(OIIO::geterror());
    }
    const OIIO::ImageSpec& spec = in->spec();
    std::vector<std::uint8_t> pixels(std::size_t(spec.width) * spec.height * spec.nchannels);
    if (!in->read_image(0, 0, 0, spec.nchannels, OIIO::TypeDesc::UINT8, pixels.data()) ||
        in->has_error()) {
        const std::string why = oneLine(in->geterror());
        return why.empty() ? "its pixel data is cut short" : why;
    }
    return std::string();
}

// A file in memory that a writer can open by name, for writers that cannot encode into the
// library's memory buffer: on a full disk they may skip a failed write (and seek past it, so
// the file even has its full size). Linux only; elsewhere name() is empty.
class MemoryFile {
public:
    MemoryFile() {
#ifdef __linux__
        fd_ = ::memfd_create("zarvo-neon image", MFD_CLOEXEC);
        name_ = "/proc/self/fd/" + std::to_string(fd_);
        if (fd_ >= 0 && ::access(name_.c_str(), W_OK) != 0) { // no /proc
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) {
            name_.clear();
        }
#endif
    }
    ~MemoryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& name() const {
        return name_;
    }

    void copyTo(PendingFile& file) {
        std::vector<char> piece(std::size_t(1) << 20);
        file.write(piece.data(), 0); // an empty file too is made, and refused by name
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, piece.data(), piece.size(), at);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                file.fail(std::strerror(errno));
            }
            if (n == 0) {
                return;
            }
            file.write(piece.data(), std::size_t(n));
            at += n;
        }
    }

private:
    int fd_ = -1;
    std::string name_;
};

// The file opened and its header read, its size checked before the pixels are allocated: a
// header alone can claim gigabytes.
std::unique_ptr<OIIO::ImageInput> openImage(const std::string& path, OIIO::ImageSpec& layout) {
    // Our pixels carry straight alpha: ask for them as the file holds them, not premultiplied.
    OIIO::ImageSpec hints;
    hints.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &hints);
    if (!in) {
        throw ImageFileError("cannot read image " + path + ": " + oneLine(OIIO::geterror()));
    }
    layout = in->spec_dimensions(0, 0);
    if (layout.width <= 0 || layout.height <= 0 || layout.nchannels < 1) {
        throw ImageFileError(path + " holds no pixels");
    }
    if (layout.width > Kelvane::Neon::Host::kMaxLayerSide ||
        layout.height > Kelvane::Neon::Host::kMaxLayerSide) {
        throw ImageFileError("cannot read image " + path + ": it is " +
                             std::to_string(layout.width) + "x" + std::to_string(layout.height) +
                             " pixels, and a layer is at most " +
                             std::to_string(Kelvane::Neon::Host::kMaxLayerSide) + " pixels a side");
    }
    return in;
}

} // namespace

ImageSize readImageSize(const std::string& path) {
    requireRegularFile(path);
    if (isPamName(path)) {
        return readPamSize(path);
    }
    LibraryOutputAside aside;
    OIIO::ImageSpec layout;
    openImage(path, layout);
    return ImageSize{layout.width, layout.height};
}

Kelvane::Neon::Host::RgbaImage readImage(const std::string& path) {
    requireRegularFile(path);
    if (isPamName(path)) {
        return readPamFile(path);
    }
    LibraryOutputAside aside;
    OIIO::ImageSpec layout;
    auto in = openImage(path, layout);
    const int channels = layout.nchannels;
    const int alphaChannel = layout.alpha_channel >= 0 && layout.alpha_channel < channels
                                 ? layout.alpha_channel
                             : (channels == 2 || channels >= 4) ? channels - 1
                                                                : -1;
    const AlphaKind kind = alphaKindOf(in->format_name());
    // Premultiplied colour is divided by alpha in floating point: in bytes, faint pixels
    // would lose their colour.
    const bool premultiplied =
        alphaChannel >= 0 && (kind == AlphaKind::Premultiplied ||
                              (kind == AlphaKind::AsDeclared &&
                               in->spec().get_int_attribute("oiio:UnassociatedAlpha", 0) != 1));
    const std::size_t pixels = std::size_t(layout.width) * layout.height;
    std::vector<std::uint8_t> raw(premultiplied ? 0 : pixels * channels);
    std::vector<float> wide(premultiplied ? pixels * channels : 0);
    // Some decoders (JPEG, uncompressed TIFF) fill what a cut file lacks and still return true;
    // only their error state tells.
    const bool read = premultiplied
                          ? in->read_image(0, 0, 0, channels, OIIO::TypeDesc::FLOAT, wide.data())
                          : in->read_image(0, 0, 0, channels, OIIO::TypeDesc::UINT8, raw.data());
    if (!read || in->has_error()) {
        const std::string why = oneLine(in->geterror());
        throw ImageFileError("cannot read image " + path + ": " +
                             (why.empty() ? "its pixel data is damaged or cut short" : why));
    }
    in->close();

    Kelvane::Neon::Host::RgbaImage image;
    image.width = layout.width;
    image.height = layout.height;
    image.pixels.resize(pixels * 4);
    const bool grey = channels < 3;
    const int green = grey ? 0 : 1, blue = grey ? 0 : 2;
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint8_t* dst = &image.pixels[i * 4];
        if (premultiplied) {
            const float* src = &wide[i * channels];
            const float alpha = src[alphaChannel];
            // Nothing to divide under zero alpha: the colour stays as stored.
            const float scale = alpha > 0.0f ? 1.0f / alpha : 1.0f;
            dst[0] = toByte(src[0] * scale);
            dst[1] = toByte(src[green] * scale);
            dst[2] = toByte(src[blue] * scale);
            dst[3] = toByte(alpha);
        } else {
            const std::uint8_t* src = &raw[i * channels];
            dst[0] = src[0];
            dst[1] = src[green];
            dst[2] = src[blue];
            dst[3] = alphaChannel >= 0 ? src[alphaChannel] : 255;
        }
    }
    return image;
}

void writeImage(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image) {
    // PAM is ours in every build, so files move between builds unchanged.
    if (isPamName(path)) {
        writePamFile(path, image);
        return;
    }
    auto out = OIIO::ImageOutput::create(path);
    if (!out) {
        throw ImageFileError("cannot write " + path + ": no image format for its name");
    }
    // Formats without alpha get the colour alone.
    const int channels = out->supports("alpha") ? 4 : 3;
    OIIO::ImageSpec layout(image.width, image.height, channels, OIIO::TypeDesc::UINT8);
    // We have no Exif data, and this library's TIFF writer reports its empty Exif directory as
    // a failure.
    layout.attribute("tiff:write_exif", 0);
    const void* pixels = image.pixels.data();
    OIIO::TypeDesc type = OIIO::TypeDesc::UINT8;
    std::vector<float> premultiplied;
    if (channels == 4 && alphaKindOf(out->format_name()) == AlphaKind::Premultiplied) {
        premultiplied.resize(image.pixels.size());
        for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
            const float alpha = image.pixels[i + 3] / 255.0f;
            for (int c = 0; c < 3; ++c) {
                premultiplied[i + c] = image.pixels[i + c] / 255.0f * alpha;
            }
            premultiplied[i + 3] = alpha;
        }
        pixels = premultiplied.data();
        type = OIIO::TypeDesc::FLOAT;
    } else {
        // Written straight, and said so where the format can (TIFF's unassociated alpha, the
        // TGA alpha type): a straight file keeps the colour under transparent pixels.
        layout.attribute("oiio:UnassociatedAlpha", 1);
    }
    const OIIO::stride_t pixelBytes = OIIO::stride_t(4 * type.size());

    PendingFile file(path);
    if (out->supports("ioproxy")) {
        // Encoded in memory, then written by us: no writer can leave a short file unnoticed or
        // end the process over a failed write (the JPEG library's default is to exit).
        std::vector<unsigned char> bytes;
        OIIO::Filesystem::IOVecOutput memory(bytes);
        const std::string why = out->set_ioproxy(&memory)
                                    ? encode(std::move(out), path, layout, type, pixels, pixelBytes)
                                    : "the image library cannot encode it in memory";
        if (!why.empty()) {
            file.fail(why);
        }
        file.write(bytes.data(), bytes.size());
    } else {
        MemoryFile memory;
        const std::string written = memory.name().empty() ? file.temporary() : memory.name();
        std::string why = encode(std::move(out), written, layout, type, pixels, pixelBytes);
        if (why.empty()) {
            const std::string damage = unreadable(written);
            why = damage.empty() ? "" : "what was written does not read back (" + damage + ")";
        }
        if (!why.empty()) {
            file.fail(aboutTarget(why, written, file));
        }
        if (!memory.name().empty()) {
            memory.copyTo(file);
        }
    }
    file.commit();
}

} // namespace Kelvane::Neon::Apps
