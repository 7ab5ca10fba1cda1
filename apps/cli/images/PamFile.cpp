#include "apps/cli/images/PamFile.h"

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/images/ImageFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

namespace Kelvane::Neon::Apps {
namespace {

// Comments may make a header long, but not endless.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
// Pixel data is read in pieces, so memory grows with the bytes the file really holds and not
// with what its header claims.
constexpr std::size_t kReadPiece = std::size_t(1) << 24;
const char* const kSpace = " \t\r\v\f";

struct Header {
    long long width = -1, height = -1, depth = -1, maxval = -1; // -1: not given
    std::string tupleType;
    bool hasTupleType = false;
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// Header text as quoted in a message: printable and short, whatever the file holds.
std::string shown(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 40)) {
        out += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return "'" + out + (text.size() > 40 ? "...'" : "'");
}

// One header line without its line break; false when the stream ends first.
bool readLine(std::istream& in, std::string& line, std::size_t& budget) {
    line.clear();
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        if (budget-- == 0) {
            throw ImageFileError("its header does not end within " +
                                 std::to_string(kMaxHeaderBytes / 1024) + " KiB");
        }
        if (c == '\n') {
            return true;
        }
        line += char(c);
    }
    return false;
}

long long wholeNumber(const std::string& key, const std::string& value) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
        throw ImageFileError(key + " must be a whole number, not " + shown(value));
    }
    long long n = 0;
    for (char c : value) {
        n = std::min(n * 10 + (c - '0'), 1000000000000LL); // far above any limit, no overflow
    }
    return n;
}

void setOnce(long long& field, const std::string& key, const std::string& value) {
    if (field >= 0) {
        throw ImageFileError("its header gives " + key + " twice");
    }
    field = wholeNumber(key, value);
}

Header readHeader(std::istream& in) {
    if (in.get() != 'P' || in.get() != '7') {
        throw ImageFileError("it is not a PAM file (it does not start with P7)");
    }
    std::size_t budget = kMaxHeaderBytes;
    std::string line;
    if (!readLine(in, line, budget) || !trimmed(line).empty()) {
        throw ImageFileError("it is not a PAM file (P7 is not followed by a line break)");
    }
    Header h;
    for (;;) {
        if (!readLine(in, line, budget)) {
            throw ImageFileError("its header ends without ENDHDR");
        }
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        const auto gap = text.find_first_of(kSpace);
        const std::string key = text.substr(0, gap);
        const std::string value = gap == std::string::npos ? "" : trimmed(text.substr(gap));
        if (key == "ENDHDR") {
            return h;
        } else if (key == "WIDTH") {
            setOnce(h.width, key, value);
        } else if (key == "HEIGHT") {
            setOnce(h.height, key, value);
        } else if (key == "DEPTH") {
            setOnce(h.depth, key, value);
        } else if (key == "MAXVAL") {
            setOnce(h.maxval, key, value);
        } else if (key == "TUPLTYPE") {
            // Repeated TUPLTYPE lines add up, one space between.
            h.tupleType += (h.hasTupleType ? " " : "") + value;
            h.hasTupleType = true;
        } else {
            throw ImageFileError("its header has an unknown line " + shown(text));
        }
    }
}

// The checked header's channels per pixel.
int channelsOf(const Header& h) {
    const std::pair<const char*, long long> fields[] = {
        {"WIDTH", h.width}, {"HEIGHT", h.height}, {"DEPTH", h.depth}, {"MAXVAL", h.maxval}};
    for (const auto& field : fields) {
        if (field.second < 0) {
            throw ImageFileError(std::string("its header has no ") + field.first);
        }
    }
    if (!h.hasTupleType) {
        throw ImageFileError("its header has no TUPLTYPE");
    }
    const std::pair<const char*, long long> sides[] = {{"WIDTH", h.width}, {"HEIGHT", h.height}};
    for (const auto& side : sides) {
        if (side.second < 1 || side.second > kMaxPamSide) {
            throw ImageFileError(std::string(side.first) + " must be 1 to " +
                                 std::to_string(kMaxPamSide) + ", not " +
                                 std::to_string(side.second));
        }
    }
    if (h.maxval != 255) {
        throw ImageFileError("MAXVAL " + std::to_string(h.maxval) +
                             " is not supported (only 8-bit images: MAXVAL 255)");
    }
    const std::pair<const char*, int> types[] = {
        {"RGB_ALPHA", 4}, {"RGB", 3}, {"GRAYSCALE", 1}, {"GRAYSCALE_ALPHA", 2}};
    for (const auto& type : types) {
        if (h.tupleType == type.first) {
            if (h.depth != type.second) {
                throw ImageFileError("TUPLTYPE " + h.tupleType + " needs DEPTH " +
                                     std::to_string(type.second) + ", not " +
                                     std::to_string(h.depth));
            }
            return type.second;
        }
    }
    throw ImageFileError("TUPLTYPE " + shown(h.tupleType) +
                         " is not supported (RGB_ALPHA, RGB, GRAYSCALE or GRAYSCALE_ALPHA)");
}

// Why `image` cannot be written as PAM, or empty.
std::string unwritable(const Kelvane::Neon::Host::RgbaImage& image) {
    if (image.width < 1 || image.height < 1 || image.width > kMaxPamSide ||
        image.height > kMaxPamSide) {
        return "a PAM image is 1 to " + std::to_string(kMaxPamSide) + " pixels a side, not " +
               std::to_string(image.width) + "x" + std::to_string(image.height);
    }
    if (image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 4) {
        return "the image holds " + std::to_string(image.pixels.size()) + " bytes, not " +
               std::to_string(image.width) + "x" + std::to_string(image.height) + "x4";
    }
    return std::string();
}

// Numbers through to_string: a stream's locale could group their digits.
std::string headerOf(const Kelvane::Neon::Host::RgbaImage& image) {
    return "P7\nWIDTH " + std::to_string(image.width) + "\nHEIGHT " + std::to_string(image.height) +
           "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
}

} // namespace

bool isPamName(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) {
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return end == ".pam";
}

Kelvane::Neon::Host::RgbaImage decodePam(std::istream& in) {
    const Header header = readHeader(in);
    const int channels = channelsOf(header);
    const std::size_t pixels = std::size_t(header.width) * std::size_t(header.height);
    const std::size_t expected = pixels * std::size_t(channels);

    std::vector<std::uint8_t> raw;
    for (std::size_t have = 0; have < expected;) {
        const std::size_t want = std::min(kReadPiece, expected - have);
        raw.resize(have + want);
        in.read(reinterpret_cast<char*>(raw.data() + have), std::streamsize(want));
        have += std::size_t(in.gcount());
        if (std::size_t(in.gcount()) < want) {
            throw ImageFileError("its pixel data is cut short: " + std::to_string(have) + " of " +
                                 std::to_string(expected) + " bytes");
        }
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        throw ImageFileError("it holds more than the " + std::to_string(expected) +
                             " bytes of pixel data its header gives");
    }

    Kelvane::Neon::Host::RgbaImage image;
    image.width = int(header.width);
    image.height = int(header.height);
    if (channels == 4) {
        image.pixels = std::move(raw);
        return image;
    }
    image.pixels.resize(pixels * 4);
    const bool grey = channels < 3;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* src = &raw[i * std::size_t(channels)];
        std::uint8_t* dst = &image.pixels[i * 4];
        dst[0] = src[0];
        dst[1] = grey ? src[0] : src[1];
        dst[2] = grey ? src[0] : src[2];
        dst[3] = channels == 2 ? src[1] : 255;
    }
    return image;
}

void encodePam(std::ostream& out, const Kelvane::Neon::Host::RgbaImage& image) {
    const std::string why = unwritable(image);
    if (!why.empty()) {
        throw ImageFileError(why);
    }
    const std::string header = headerOf(image);
    out.write(header.data(), std::streamsize(header.size()));
    out.write(reinterpret_cast<const char*>(image.pixels.data()),
              std::streamsize(image.pixels.size()));
}

namespace {

// `read` of the opened file, its failures naming the file.
template <class Read> auto readPam(const std::string& path, Read read) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ImageFileError("cannot read image " + path + ": " +
                             (errno != 0 ? std::strerror(errno) : "cannot open the file"));
    }
    try {
        return read(in);
    } catch (const ImageFileError& e) {
        throw ImageFileError("cannot read image " + path + ": " + e.what());
    }
}

} // namespace

Kelvane::Neon::Host::RgbaImage readPamFile(const std::string& path) {
    return readPam(path, [](std::istream& in) { return decodePam(in); });
}

ImageSize readPamSize(const std::string& path) {
    return readPam(path, [](std::istream& in) {
        const Header header = readHeader(in);
        channelsOf(header);
        return ImageSize{int(header.width), int(header.height)};
    });
}

void writePamFile(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image) {
    const std::string why = unwritable(image);
    if (!why.empty()) {
        throw ImageFileError("cannot write " + path + ": " + why);
    }
    const std::string header = headerOf(image);
    PendingFile file(path);
    file.write(header.data(), header.size());
    file.write(image.pixels.data(), image.pixels.size());
    file.commit();
}

} // namespace Kelvane::Neon::Apps
