#include "AtomicFile.h"

#include "ImageFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace zarvo {

std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    const auto slash = target.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto dot = file.find_last_of('.');
    const std::string extension = dot == std::string::npos ? "" : file.substr(dot);
    return dir + "." + file + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++) +
           extension;
}

void replaceWith(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temporary.c_str());
        throw ImageFileError("cannot write " + target + ": cannot replace the file (" + why + ")");
    }
}

} // namespace zarvo
