// ShellExecuteA("open", url): hands the url to xdg-open, or to the opener a test installed.

#include "standins/win32/Internal.h"

#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

using namespace Kelvane::Neon::StandIn::detail;

namespace {

constexpr INT_PTR kShellSuccess = 42; // any value above 32 means success

HINSTANCE shellResult(INT_PTR code) {
    return reinterpret_cast<HINSTANCE>(code);
}

// Empty PATH entries (the working directory) are skipped on purpose.
std::string findOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        if (end > start) {
            std::string candidate = dirs.substr(start, end - start) + "/" + program;
            struct stat info {};
            if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

// Starts `program url` detached (double fork, own session, no inherited descriptors, no shell)
// and returns 0 once it has been exec'd, or the errno that stopped it.
int spawnDetached(const std::string& program, const std::string& url) {
    std::string arg0 = "xdg-open", arg1 = url;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return errno;
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return error;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        const pid_t grandchild = fork();
        if (grandchild != 0) {
            int error = grandchild < 0 ? errno : 0;
            if (error)
                (void)!write(report[1], &error, sizeof error);
            _exit(error ? 1 : 0);
        }
        setsid();
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
        }
        close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // report[1] stays open until exec
        execv(program.c_str(), argv);
        int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT) {
    if (!enter(Fn::ShellExecuteA))
        return shellResult(SE_ERR_NOASSOC);
    if (operation && strcasecmp(operation, "open") != 0) {
        setError(ERROR_NO_ASSOCIATION);
        return shellResult(SE_ERR_NOASSOC);
    }
    // A leading '-' would reach the opener as an option rather than a url.
    if (!file || !*file || *file == '-') {
        setError(ERROR_FILE_NOT_FOUND);
        return shellResult(SE_ERR_FNF);
    }
    bool opened = false;
    if (openUrlThroughHooks(file, &opened)) {
        if (opened)
            return shellResult(kShellSuccess);
        setError(ERROR_NO_ASSOCIATION);
        return shellResult(SE_ERR_NOASSOC);
    }
    const std::string program = findOnPath("xdg-open");
    if (program.empty()) {
        setError(ERROR_NO_ASSOCIATION);
        return shellResult(SE_ERR_NOASSOC);
    }
    switch (spawnDetached(program, file)) {
    case 0:
        return shellResult(kShellSuccess);
    case EACCES:
        setError(ERROR_ACCESS_DENIED);
        return shellResult(SE_ERR_ACCESSDENIED);
    case ENOMEM:
    case EAGAIN:
        setError(ERROR_NOT_ENOUGH_MEMORY);
        return shellResult(SE_ERR_OOM);
    default:
        setError(ERROR_FILE_NOT_FOUND);
        return shellResult(SE_ERR_FNF);
    }
}
