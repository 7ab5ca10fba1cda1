#include "AtomicFile.h"

#include "ImageFiles.h"

#include <windows.h>

#include <atomic>

namespace zarvo {
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

} // namespace

// A leading dot does not hide a file on Windows, but keeps the name recognisable as ours.
std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    // "C:name" names a file in drive C's current folder: the drive stays with the folder.
    const auto slash = target.find_last_of("/\\:");
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto dot = file.find_last_of('.');
    const std::string extension = dot == std::string::npos ? "" : file.substr(dot);
    return dir + "." + file + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(serial++) + extension;
}

void replaceWith(const std::string& temporary, const std::string& target) {
    if (!MoveFileExA(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string why = describe(GetLastError());
        DeleteFileA(temporary.c_str());
        throw ImageFileError("cannot write " + target + ": cannot replace the file (" + why + ")");
    }
}

} // namespace zarvo
