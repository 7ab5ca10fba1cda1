// Image writes that fail, are interrupted or have long names leave nothing half-written and
// name the user's file.

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/images/ImageFiles.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// Death tests run in a new copy of this program (the threadsafe style: the image library's
// threads do not survive a fork), which must find the folder the first one named.
std::string freshFolder(const std::string& name) {
    ::setenv("ZARVO_WRITE_TEST_RUN", std::to_string(::getpid()).c_str(), 0);
    const std::string path =
        "/tmp/zarvo_write_test_" + std::string(std::getenv("ZARVO_WRITE_TEST_RUN")) + "_" + name;
    ::mkdir(path.c_str(), 0700);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return path;
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

void removeFolder(const std::string& folder) {
    for (const std::string& name : entries(folder)) {
        ::unlink((folder + "/" + name).c_str());
    }
    ::rmdir(folder.c_str());
}

// Noise does not compress, so every format's file is about as large as its pixels.
Kelvane::Neon::Host::RgbaImage noise(int width, int height) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height * 4);
    std::minstd_rand random(7);
    for (auto& byte : image.pixels) {
        byte = std::uint8_t(random());
    }
    return image;
}

// In a child process: writes under a file size limit, as on a full disk (a write past the
// limit fails with EFBIG), and exits 0 with the message when the write is refused.
void writeWithin(const std::string& path, const Kelvane::Neon::Host::RgbaImage& image,
                 rlim_t limit) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit size{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &size);
    try {
        Kelvane::Neon::Apps::writeImage(path, image);
    } catch (const Kelvane::Neon::Apps::ImageFileError& e) {
        std::cerr << e.what();
        ::_exit(0);
    }
    ::_exit(1);
}

TEST(ImageWriteTest, AWriteCutShortFailsNamingTheFileAndLeavesNothing) {
    const std::string folder = freshFolder("full");
    const Kelvane::Neon::Host::RgbaImage image =
        noise(256, 256); // 256 KiB of pixels, over the 64 KiB limit
    // Encoded in memory (PNG; JPEG, whose library ends the process on a failed write), by a
    // writer that cannot (SGI), and our own PAM.
    for (const char* name : {"f.png", "f.jpg", "f.sgi", "f.pam"}) {
        const std::string path = folder + "/" + name;
        EXPECT_EXIT(writeWithin(path, image, 64 * 1024), ::testing::ExitedWithCode(0),
                    "^cannot write " + path + ": ")
            << name;
        EXPECT_EQ(entries(folder), std::vector<std::string>()) << name;
    }
    removeFolder(folder);
}

// In a child process: writes a sequence until SIGTERM comes, sent as soon as a frame's
// temporary file is there, so it lands mid-write.
void writeUntilTerminated(const std::string& folder) {
    Kelvane::Neon::Apps::installInterruptCleanup();
    std::thread([folder] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &term, nullptr); // the writing thread takes the signal
        for (;;) {
            for (const std::string& name : entries(folder)) {
                if (name[0] == '.') {
                    ::kill(::getpid(), SIGTERM);
                    return;
                }
            }
        }
    }).detach();
    const Kelvane::Neon::Host::RgbaImage image = noise(1024, 1024);
    for (int frame = 0; frame < 200; ++frame) {
        Kelvane::Neon::Apps::writeImage(folder + "/f" + std::to_string(frame) + ".tif", image);
    }
    ::_exit(0);
}

TEST(ImageWriteTest, TerminatedRunRemovesTheTemporaryFileAndEndsBySignal) {
    const std::string folder = freshFolder("term");
    EXPECT_EXIT(writeUntilTerminated(folder), ::testing::KilledBySignal(SIGTERM), "");
    for (const std::string& name : entries(folder)) {
        EXPECT_NE(name[0], '.') << name;
    }
    removeFolder(folder);
}

// The message a failed write gives, or "" when it succeeds.
std::string writeFailure(const std::string& path) {
    try {
        Kelvane::Neon::Apps::writeImage(path, noise(2, 2));
    } catch (const Kelvane::Neon::Apps::ImageFileError& e) {
        return e.what();
    }
    return "";
}

TEST(ImageWriteTest, LongNamesAreWrittenAndMessagesNameTheUsersFile) {
    const std::string folder = freshFolder("long");
    std::string accented(127, 'n');
    for (int i = 0; i < 62; ++i) {
        accented += "\xC3\xA9"; // two bytes each, never to be cut apart
    }
    for (const std::string& name :
         {std::string(236, 'n') + ".png", std::string(251, 'n') + ".png", accented + ".pam"}) {
        EXPECT_EQ(writeFailure(folder + "/" + name), "");
        EXPECT_EQ(entries(folder), std::vector<std::string>{name});
        ::unlink((folder + "/" + name).c_str());

        const std::string temporary = Kelvane::Neon::Apps::temporaryBeside(folder + "/" + name);
        const std::string base = temporary.substr(folder.size() + 1);
        EXPECT_LE(base.size(), 255u);
        EXPECT_EQ(base[0], '.');
        EXPECT_EQ(base.substr(base.size() - 4), name.substr(name.size() - 4));
        EXPECT_NE(base.find(".tmp" + std::to_string(::getpid()) + "-"), std::string::npos);
        EXPECT_EQ(base.find("\xC3.tmp"), std::string::npos);
    }
    for (const std::string& path :
         {folder + "/" + std::string(252, 'n') + ".png", folder + "/missing/x.png",
          folder + "/missing/x.sgi", folder + "/missing/x.pam"}) {
        const std::string why = writeFailure(path);
        EXPECT_EQ(why.rfind("cannot write " + path + ": ", 0), 0u) << why;
        EXPECT_EQ(why.find(".tmp"), std::string::npos) << why;
    }
    removeFolder(folder);
}

} // namespace
