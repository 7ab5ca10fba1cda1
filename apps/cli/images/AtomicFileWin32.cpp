#include "apps/cli/images/AtomicFile.h"

#include "apps/cli/images/AtomicFileCommon.h"
#include "apps/cli/images/ImageFiles.h"

#include <windows.h>

#include <atomic>

namespace Kelvane::Neon::Apps {
namespace {

// The system's own wording for an error code, without its trailing line break.
std::string describe(DWORD code) {
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

HANDLE handleOf(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

// Runs on a thread of its own while the program goes on. The temporary is open with
// FILE_SHARE_DELETE, so deleting it here takes it away once the process's handle closes;
// FALSE passes the event on to the default handler, which ends the process.
BOOL WINAPI removeInFlight(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        if (const char* temporary = takeInFlight()) {
            DeleteFileA(temporary);
        }
    }
    return FALSE;
}

} // namespace

// A leading dot does not hide a file on Windows, but keeps the name recognisable as ours.
std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    // "C:name" names a file in drive C's current folder: the drive stays with the folder.
    const auto slash = target.find_last_of("/\\:");
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    return dir + temporaryName(file, std::to_string(GetCurrentProcessId()) + "-" +
                                         std::to_string(serial++));
}

void PendingFile::discard() {
    if (file_ != -1) {
        CloseHandle(handleOf(file_));
        file_ = -1;
    }
    DeleteFileA(temporary_.c_str());
    untrackInFlight(tracked_);
    tracked_ = -1;
}

void PendingFile::write(const void* data, std::size_t size) {
    if (file_ == -1) {
        const HANDLE file = CreateFileA(temporary_.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            fail(describe(GetLastError()));
        }
        file_ = reinterpret_cast<std::intptr_t>(file);
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD piece = DWORD(size < (std::size_t(1) << 30) ? size : std::size_t(1) << 30);
        DWORD written = 0;
        if (!WriteFile(handleOf(file_), bytes, piece, &written, nullptr)) {
            fail(describe(GetLastError()));
        }
        if (written == 0) {
            fail("the disk takes no more bytes");
        }
        bytes += written;
        size -= written;
    }
}

void PendingFile::commit() {
    if (file_ == -1) {
        // Another writer made the file: open it again to flush what it wrote.
        const HANDLE file = CreateFileA(temporary_.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            fail(describe(GetLastError()));
        }
        file_ = reinterpret_cast<std::intptr_t>(file);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(file_), &size)) {
        fail(describe(GetLastError()));
    }
    if (size.QuadPart == 0) {
        fail("nothing was written (is the disk full?)");
    }
    if (!FlushFileBuffers(handleOf(file_))) {
        fail("cannot flush it to disk (" + describe(GetLastError()) + ")");
    }
    const BOOL closed = CloseHandle(handleOf(file_));
    file_ = -1;
    if (!closed) {
        fail(describe(GetLastError()));
    }
    // With MOVEFILE_WRITE_THROUGH the move is on disk when it returns: there is no folder to
    // flush on Windows.
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail("cannot replace the file (" + describe(GetLastError()) + ")");
    }
    committed_ = true;
    untrackInFlight(tracked_);
}

// Windows has no SIGTERM to catch from outside; Ctrl+C, Ctrl+Break and closing the console
// reach a console program as control events instead.
void installInterruptCleanup() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        SetConsoleCtrlHandler(removeInFlight, TRUE);
    }
}

} // namespace Kelvane::Neon::Apps
