#include "tests/standins/win32/StandInFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

using namespace Kelvane::Neon::StandIn;

namespace {

bool succeeded(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result) > 32;
}

HINSTANCE openUrl(const char* url, const char* verb = "open") {
    return ShellExecuteA(nullptr, verb, url, nullptr, nullptr, SW_SHOWNORMAL);
}

// Puts a scratch directory, optionally holding a fake xdg-open, alone on PATH.
class ScratchPath {
public:
    ScratchPath() {
        char pattern[] = "/tmp/zarvo-shell-XXXXXX";
        dir_ = mkdtemp(pattern);
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", dir_.c_str(), 1);
    }
    ~ScratchPath() {
        setenv("PATH", savedPath_.c_str(), 1);
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    // The fake records its argument count and arguments, then renames the record into place.
    std::string installRecordingOpener() {
        const std::string record = dir_ + "/opened";
        const std::string script = dir_ + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s|%s' \"$#\" \"$*\" > '"
                              << record << ".part' && mv '" << record << ".part' '" << record
                              << "'\n";
        chmod(script.c_str(), 0755);
        return record;
    }

private:
    std::string dir_, savedPath_;
};

std::string waitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "<never written>";
}

} // namespace

TEST(ShellExecuteTest, HandsUrlsToTheInstalledOpener) {
    resetAll();
    std::vector<std::string> opened;
    bool accept = true;
    setUrlOpener([&](const std::string& url) {
        opened.push_back(url);
        return accept;
    });
    EXPECT_TRUE(succeeded(openUrl("https://example.com/help")));
    EXPECT_TRUE(succeeded(openUrl("https://example.com/a", nullptr)));
    accept = false;
    EXPECT_FALSE(succeeded(openUrl("https://example.com/b")));
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.com/help", "https://example.com/a",
                                                "https://example.com/b"}));

    opened.clear();
    EXPECT_FALSE(succeeded(openUrl(nullptr)));
    EXPECT_FALSE(succeeded(openUrl("")));
    EXPECT_FALSE(succeeded(openUrl("--help")));
    EXPECT_FALSE(succeeded(openUrl("https://example.com", "print")));
    EXPECT_TRUE(opened.empty());
    resetAll();
}

TEST(ShellExecuteTest, RunsXdgOpenWithTheUrlAsOneArgument) {
    resetAll();
    ScratchPath path;
    const std::string record = path.installRecordingOpener();
    const std::string url = "https://example.com/?a=1;touch pwned&b=$(touch pwned) 'x'";
    EXPECT_TRUE(succeeded(openUrl(url.c_str())));
    // A shell in between would split or expand it.
    EXPECT_EQ(waitForFile(record), "1|" + url);
}

TEST(ShellExecuteTest, FailsWithoutXdgOpen) {
    resetAll();
    ScratchPath path;
    EXPECT_FALSE(succeeded(openUrl("https://example.com")));
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
}
