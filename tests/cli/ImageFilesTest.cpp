// Image files and the built-in sample layer of the command line.

#include "ImageFiles.h"
#include "Sample.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/zarvo_image_test_" + std::to_string(::getpid()) + "_" + name;
}

TEST(ImageFilesTest, PngKeepsEveryByteAndAlpha) {
    aehost::RgbaImage image;
    image.width = 3;
    image.height = 2;
    image.pixels = {255, 0, 0, 255, 0,  255, 0,  128, 0,  0,   255, 0,
                    1,   2, 3, 4,   50, 60,  70, 80,  90, 100, 110, 255};
    const std::string path = scratch("roundtrip.png");
    zarvo::writeImage(path, image);
    const aehost::RgbaImage back = zarvo::readImage(path);
    std::remove(path.c_str());
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, image.pixels);
}

TEST(ImageFilesTest, FailedWritesLeaveNoFileAndKeepTheOldOne) {
    aehost::RgbaImage image;
    image.width = image.height = 1;
    image.pixels = {1, 2, 3, 4};
    EXPECT_THROW(zarvo::writeImage("/nonexistent-dir/x.png", image), zarvo::ImageFileError);
    EXPECT_THROW(zarvo::writeImage(scratch("x.unknownformat"), image), zarvo::ImageFileError);
    EXPECT_THROW(zarvo::readImage(scratch("missing.png")), zarvo::ImageFileError);

    const std::string path = scratch("notanimage.png");
    std::ofstream(path) << "not a png";
    EXPECT_THROW(zarvo::readImage(path), zarvo::ImageFileError);
    std::remove(path.c_str());
}

TEST(ImageFilesTest, SampleHasOpaqueShapesSoftEdgesAndTransparentBackground) {
    const aehost::RgbaImage sample = zarvo::sampleLayer(240, 135);
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
