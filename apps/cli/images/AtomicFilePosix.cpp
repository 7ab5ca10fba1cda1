#include "apps/cli/images/AtomicFile.h"

#include "apps/cli/images/AtomicFileCommon.h"
#include "apps/cli/images/ImageFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace Kelvane::Neon::Apps {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Async-signal-safe: unlink and raise only.
void removeInFlightAndEnd(int signal) {
    if (const char* temporary = takeInFlight()) {
        ::unlink(temporary);
    }
    // SA_RESETHAND restored the default action: the signal, delivered again as the handler
    // returns, ends the process as it would have without us.
    ::raise(signal);
}

} // namespace

std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    const auto slash = target.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    return dir + temporaryName(file, std::to_string(::getpid()) + "-" + std::to_string(serial++));
}

void PendingFile::discard() {
    if (file_ >= 0) {
        ::close(int(file_));
        file_ = -1;
    }
    ::unlink(temporary_.c_str()); // ours by its name, whoever made it
    untrackInFlight(tracked_);
    tracked_ = -1;
}

void PendingFile::write(const void* data, std::size_t size) {
    if (file_ < 0) {
        // No O_EXCL: a temporary of the same name was left by a killed run of an earlier
        // process with this process's number.
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            fail(std::strerror(errno));
        }
        file_ = fd;
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const std::size_t piece = size < (std::size_t(1) << 30) ? size : std::size_t(1) << 30;
        const ssize_t written = ::write(int(file_), bytes, piece);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno == EFBIG) {
            fail("it would be larger than the file system or the file size limit (ulimit -f) "
                 "allows");
        }
        if (written <= 0) {
            fail(written < 0 ? std::strerror(errno) : "the disk takes no more bytes");
        }
        bytes += written;
        size -= std::size_t(written);
    }
}

void PendingFile::commit() {
    if (file_ < 0) {
        // Another writer made the file: open it again to flush what it wrote.
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            fail(std::strerror(errno));
        }
        file_ = fd;
    }
    struct stat status {};
    if (::fstat(int(file_), &status) != 0) {
        fail(std::strerror(errno));
    }
    if (status.st_size == 0) {
        fail("nothing was written (is the disk full?)");
    }
    // Errors the disk reports late (space, quota, I/O) come here, before the file takes the
    // target's place.
    if (::fsync(int(file_)) != 0) {
        fail(std::string("cannot flush it to disk (") + std::strerror(errno) + ")");
    }
    const int closed = ::close(int(file_));
    file_ = -1;
    if (closed != 0 && errno != EINTR) { // Linux closes the file even then
        fail(std::strerror(errno));
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(std::string("cannot replace the file (") + std::strerror(errno) + ")");
    }
    committed_ = true;
    untrackInFlight(tracked_);
    // The rename is an entry in the folder: flushed too, so the new file survives a crash.
    // Folders that cannot be opened or flushed (some network file systems) are left to the
    // system.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const bool flushed = ::fsync(folder) == 0 || errno == EINVAL || errno == ENOTSUP;
        const std::string why = flushed ? "" : std::strerror(errno);
        ::close(folder);
        if (!flushed) {
            throw ImageFileError("cannot write " + target_ +
                                 ": its folder cannot be flushed to disk (" + why + ")");
        }
    }
}

void installInterruptCleanup() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL) {
            continue; // ignored (nohup, a background job) or someone else's
        }
        struct sigaction action {};
        action.sa_handler = removeInFlightAndEnd;
        // The others wait, so none ends the process between taking the name and removing it.
        sigemptyset(&action.sa_mask);
        for (int other : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&action.sa_mask, other);
        }
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
    // Ending the process here would leave the temporary behind with no word of why; ignored,
    // the write fails with EFBIG and goes the way of any failed write.
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
        current.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
}

} // namespace Kelvane::Neon::Apps
