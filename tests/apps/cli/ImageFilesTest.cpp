// Image files and the built-in sample layer of the command line.

#include "apps/cli/images/ImageFiles.h"
#include "apps/cli/commands/Sample.h"

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/zarvo_image_test_" + std::to_string(::getpid()) + "_" + name;
}

TEST(ImageFilesTest, PngKeepsEveryByteAndAlpha) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = 3;
    image.height = 2;
    image.pixels = {255, 0, 0, 255, 0,  255, 0,  128, 0,  0,   255, 0,
                    1,   2, 3, 4,   50, 60,  70, 80,  90, 100, 110, 255};
    const std::string path = scratch("roundtrip.png");
    Kelvane::Neon::Apps::writeImage(path, image);
    const Kelvane::Neon::Host::RgbaImage back = Kelvane::Neon::Apps::readImage(path);
    std::remove(path.c_str());
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, image.pixels);
}

TEST(ImageFilesTest, FailedWritesLeaveNoFileAndKeepTheOldOne) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = image.height = 1;
    image.pixels = {1, 2, 3, 4};
    EXPECT_THROW(Kelvane::Neon::Apps::writeImage("/nonexistent-dir/x.png", image),
                 Kelvane::Neon::Apps::ImageFileError);
    EXPECT_THROW(Kelvane::Neon::Apps::writeImage(scratch("x.unknownformat"), image),
                 Kelvane::Neon::Apps::ImageFileError);
    EXPECT_THROW(Kelvane::Neon::Apps::readImage(scratch("missing.png")),
                 Kelvane::Neon::Apps::ImageFileError);

    const std::string path = scratch("notanimage.png");
    std::ofstream(path) << "not a png";
    EXPECT_THROW(Kelvane::Neon::Apps::readImage(path), Kelvane::Neon::Apps::ImageFileError);
    std::remove(path.c_str());
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Entries in /tmp whose names hold scratch(name)'s: the file and any temporary beside it.
int filesNamed(const std::string& name) {
    const std::string stem = scratch(name).substr(5);
    int found = 0;
    DIR* dir = ::opendir("/tmp");
    while (const dirent* entry = ::readdir(dir)) {
        found += std::string(entry->d_name).find(stem) != std::string::npos;
    }
    ::closedir(dir);
    return found;
}

TEST(ImageFilesTest, PamKeepsEveryByteAndColourUnderZeroAlpha) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = 2;
    image.height = 2;
    image.pixels = {255, 0, 0, 0, 9, 8, 7, 1, 0, 0, 0, 0, 200, 100, 50, 255};
    const std::string path = scratch("roundtrip.PAM"); // the extension in any case
    Kelvane::Neon::Apps::writeImage(path, image);
    EXPECT_EQ(fileBytes(path).substr(0, 3), "P7\n");
    const Kelvane::Neon::Host::RgbaImage back = Kelvane::Neon::Apps::readImage(path);
    std::remove(path.c_str());
    EXPECT_EQ(back.width, 2);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, image.pixels);

    // Grey and colour without alpha come in opaque, whatever order the header lines take.
    const std::string grey = scratch("grey.pam");
    std::ofstream(grey, std::ios::binary)
        << "P7\n# by hand\nTUPLTYPE GRAYSCALE_ALPHA\nMAXVAL 255\nDEPTH 2\nHEIGHT 1\nWIDTH 2\n"
           "ENDHDR\n\x0a\x14\x1e\x28";
    EXPECT_EQ(Kelvane::Neon::Apps::readImage(grey).pixels,
              (std::vector<std::uint8_t>{10, 10, 10, 20, 30, 30, 30, 40}));
    std::ofstream(grey, std::ios::binary)
        << "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n\x01\x02\x03";
    EXPECT_EQ(Kelvane::Neon::Apps::readImage(grey).pixels,
              (std::vector<std::uint8_t>{1, 2, 3, 255}));
    std::remove(grey.c_str());
}

TEST(ImageFilesTest, PngWrittenAsPamReadsBackTheSame) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = 2;
    image.height = 1;
    image.pixels = {0, 0, 255, 0, 90, 100, 110, 128};
    const std::string png = scratch("via.png"), pam = scratch("via.pam");
    Kelvane::Neon::Apps::writeImage(png, image);
    const Kelvane::Neon::Host::RgbaImage fromPng = Kelvane::Neon::Apps::readImage(png);
    Kelvane::Neon::Apps::writeImage(pam, fromPng);
    EXPECT_EQ(Kelvane::Neon::Apps::readImage(pam).pixels, fromPng.pixels);
    std::remove(png.c_str());
    std::remove(pam.c_str());
}

TEST(ImageFilesTest, BadPamFilesAreRefusedWithTheReason) {
    const std::string ok = "DEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\n";
    const std::pair<std::string, std::string> cases[] = {
        {"P7\nWIDTH 30001\nHEIGHT 1\n" + ok + "ENDHDR\n", "WIDTH must be 1 to 30000"},
        {"P7\nWIDTH 0\nHEIGHT 1\n" + ok + "ENDHDR\n", "WIDTH must be 1 to 30000"},
        {"P7\nWIDTH 30000\nHEIGHT 30000\n" + ok + "ENDHDR\nabcd", "cut short: 4 of"},
        {"P7\nWIDTH 1\nHEIGHT 1\n" + ok + "ENDHDR\nabcdEXTRA", "more than the 4 bytes"},
        {"P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
         "MAXVAL 65535 is not supported"},
        {"P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE CMYK\nENDHDR\nabcd",
         "TUPLTYPE 'CMYK' is not supported"},
        {"P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\nabc",
         "needs DEPTH 4"},
        {"P7\nWIDTH 1\n" + ok + "ENDHDR\nabcd", "no HEIGHT"},
        {"P7\nWIDTH 1\nHEIGHT 1\n" + ok + "abcd", "ends without ENDHDR"},
        {"P6\n1 1\n255\nabc", "not a PAM file"},
    };
    const std::string path = scratch("bad.pam");
    for (const auto& [bytes, reason] : cases) {
        std::ofstream(path, std::ios::binary) << bytes;
        try {
            Kelvane::Neon::Apps::readImage(path);
            ADD_FAILURE() << "accepted: " << bytes;
        } catch (const Kelvane::Neon::Apps::ImageFileError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
    std::remove(path.c_str());
}

// The message readImage refuses `path` with, or "" when it reads it.
std::string refusal(const std::string& path) {
    try {
        Kelvane::Neon::Apps::readImage(path);
    } catch (const Kelvane::Neon::Apps::ImageFileError& e) {
        return e.what();
    }
    return "";
}

void writeWithLibrary(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = std::uint8_t(i * 7919 % 251); // noise, so a cut leaves pixels unread
    }
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out);
    OIIO::ImageSpec spec(width, height, 3, OIIO::TypeDesc::UINT8);
    spec.attribute("compression", "none");
    ASSERT_TRUE(out->open(path, spec) && out->write_image(OIIO::TypeDesc::UINT8, pixels.data()) &&
                out->close());
}

TEST(ImageFilesTest, CutOversizedAndNonRegularFilesAreRefused) {
    // Cut in half: the JPEG and uncompressed TIFF decoders fill the rest and report success.
    for (const char* name : {"cut.png", "cut.tif", "cut.jpg"}) {
        const std::string path = scratch(name);
        writeWithLibrary(path, 96, 64);
        const std::string whole = fileBytes(path);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            << whole.substr(0, whole.size() / 2);
        EXPECT_NE(refusal(path).find("cannot read image " + path + ": "), std::string::npos)
            << name << ": " << refusal(path);
        std::remove(path.c_str());
    }

    // Sides past the host's largest layer, refused from the header before the pixels are
    // allocated: a real image one pixel too wide, and 18 header bytes claiming 60000 x 60000.
    const std::string wide = scratch("wide.png");
    writeWithLibrary(wide, 30001, 1);
    EXPECT_NE(refusal(wide).find("30001x1 pixels, and a layer is at most 30000 pixels a side"),
              std::string::npos)
        << refusal(wide);
    writeWithLibrary(wide, 30000, 1);
    EXPECT_EQ(refusal(wide), "");
    std::remove(wide.c_str());
    const std::string huge = scratch("huge.tga");
    const unsigned char header[18] = {0, 0, 2, 0,    0,    0,    0,    0,  0,
                                      0, 0, 0, 0x60, 0xEA, 0x60, 0xEA, 32, 8};
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(header), 18);
    EXPECT_NE(refusal(huge).find("60000x60000 pixels"), std::string::npos) << refusal(huge);
    std::remove(huge.c_str());

    // A device never ends and a pipe waits for a writer: neither is opened.
    const std::string fifo = scratch("fifo.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo, std::string("/tmp")}) {
        EXPECT_NE(refusal(path).find("not a regular file"), std::string::npos) << path;
    }
    ::unlink(fifo.c_str());
}

TEST(ImageFilesTest, FailedPamWritesLeaveNoFileAndKeepTheOldOne) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = image.height = 1;
    image.pixels = {1, 2, 3, 4};
    const std::string path = scratch("kept.pam");
    Kelvane::Neon::Apps::writeImage(path, image);
    const std::string before = fileBytes(path);
    Kelvane::Neon::Host::RgbaImage broken = image;
    broken.pixels.pop_back();
    EXPECT_THROW(Kelvane::Neon::Apps::writeImage(path, broken),
                 Kelvane::Neon::Apps::ImageFileError);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(filesNamed("kept.pam"), 1);
    std::remove(path.c_str());

    // A folder in the way fails the final rename: the temporary goes too.
    const std::string folder = scratch("folder.pam");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_THROW(Kelvane::Neon::Apps::writeImage(folder, image),
                 Kelvane::Neon::Apps::ImageFileError);
    EXPECT_EQ(filesNamed("folder.pam"), 1);
    ::rmdir(folder.c_str());
    EXPECT_THROW(Kelvane::Neon::Apps::writeImage("/nonexistent-dir/x.pam", image),
                 Kelvane::Neon::Apps::ImageFileError);
}

TEST(ImageFilesTest, PremultipliedFormatsAreReadAndWrittenAsTheyMean) {
    // Half-transparent white: EXR holds its colour premultiplied, 128/255 in every channel.
    Kelvane::Neon::Host::RgbaImage white;
    white.width = white.height = 1;
    white.pixels = {255, 255, 255, 128};
    const std::string exr = scratch("white.exr");
    Kelvane::Neon::Apps::writeImage(exr, white);
    float stored[4] = {};
    auto in = OIIO::ImageInput::open(exr);
    ASSERT_TRUE(in && in->read_image(0, 0, 0, 4, OIIO::TypeDesc::FLOAT, stored));
    for (float channel : stored) {
        EXPECT_NEAR(channel, 128.0 / 255, 0.001);
    }
    const Kelvane::Neon::Host::RgbaImage back = Kelvane::Neon::Apps::readImage(exr);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(back.pixels[c], white.pixels[c], 1) << c;
    }
    std::remove(exr.c_str());

    // Written premultiplied by the library: EXR, and TIFF declaring associated alpha.
    for (const char* name : {"associated.exr", "associated.tif"}) {
        const std::string path = scratch(name);
        const float half[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        auto out = OIIO::ImageOutput::create(path);
        ASSERT_TRUE(out && out->open(path, OIIO::ImageSpec(1, 1, 4, OIIO::TypeDesc::UINT8)) &&
                    out->write_image(OIIO::TypeDesc::FLOAT, half) && out->close());
        EXPECT_EQ(Kelvane::Neon::Apps::readImage(path).pixels, white.pixels) << name;
        std::remove(path.c_str());
    }

    // TIFF is written straight and says so, keeping colour under zero alpha.
    Kelvane::Neon::Host::RgbaImage straight;
    straight.width = 2;
    straight.height = 1;
    straight.pixels = {200, 100, 50, 128, 9, 8, 7, 0};
    const std::string tif = scratch("straight.tif");
    Kelvane::Neon::Apps::writeImage(tif, straight);
    EXPECT_EQ(OIIO::ImageInput::open(tif)->spec().get_int_attribute("tiff:UnassociatedAlpha"), 1);
    EXPECT_EQ(Kelvane::Neon::Apps::readImage(tif).pixels, straight.pixels);
    std::remove(tif.c_str());

    // The GIF reader gives its alpha a channel number past the last: the last channel is taken
    // (GIF keeps no partial alpha, and this writer none at all).
    const std::string gif = scratch("alpha.gif");
    Kelvane::Neon::Apps::writeImage(gif, straight);
    EXPECT_EQ(Kelvane::Neon::Apps::readImage(gif).pixels,
              (std::vector<std::uint8_t>{200, 100, 50, 255, 9, 8, 7, 255}));
    std::remove(gif.c_str());
}

TEST(ImageFilesTest, SampleHasOpaqueShapesSoftEdgesAndTransparentBackground) {
    const Kelvane::Neon::Host::RgbaImage sample = Kelvane::Neon::Apps::sampleLayer(240, 135);
    ASSERT_EQ(sample.pixels.size(), 240u * 135 * 4);
    auto alpha = [&](int x, int y) { return sample.pixels[(std::size_t(y) * 240 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(239, 134), 0);
    EXPECT_EQ(alpha(86, 70), 255) << "the star's centre";
    EXPECT_EQ(alpha(177, 67), 255) << "the disc's centre";
    int soft = 0;
    for (std::size_t i = 3; i < sample.pixels.size(); i += 4) {
        soft += sample.pixels[i] > 0 && sample.pixels[i] < 255;
    }
    EXPECT_GT(soft, 50) << "edges are anti-aliased";
}

} // namespace
