// Inside the plug-in, the module's diagnostics (shader logs, frame errors) go to standard
// error: a frei0r host may be writing the video itself to standard output
// (`ffmpeg ... -f rawvideo -`). The link wraps every reference to the standard output calls
// and objects that the plug-in's code makes (--wrap in CMakeLists.txt); the host's own stay
// as they are. The OpenGL context report, the module's only use of std::cout, would otherwise
// greet every start of melt, ffmpeg or an editor's plug-in scan: it is written only when
// ZARVO_NEON_GL_INFO is set (to anything but "" or "0").

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace {

bool contextReportWanted() {
    const char* value = std::getenv("ZARVO_NEON_GL_INFO");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// Passes the report on to standard error while the variable asks for it, and drops it
// otherwise. Asked at each write, so a host may set it at any time before a context is made.
class ContextReportBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || !contextReportWanted()) {
            return traits_type::not_eof(c);
        }
        return std::fputc(c, stderr) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* text, std::streamsize n) override {
        if (contextReportWanted()) {
            return static_cast<std::streamsize>(
                std::fwrite(text, 1, static_cast<std::size_t>(n), stderr));
        }
        return n;
    }
};

ContextReportBuffer contextReport;

} // namespace

// Made when the plug-in loads; nothing writes to it before the first call into the plug-in.
std::ostream zarvoDiagnostics asm("__wrap__ZSt4cout")(&contextReport);

extern "C" {

FILE* __wrap_stdout = stderr;

__attribute__((format(printf, 1, 0))) int __wrap_vprintf(const char* format, va_list args) {
    return std::vfprintf(stderr, format, args);
}

__attribute__((format(printf, 1, 2))) int __wrap_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(stderr, format, args);
    va_end(args);
    return written;
}

__attribute__((format(printf, 2, 3))) int __wrap___printf_chk(int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(stderr, format, args);
    va_end(args);
    return written;
}

int __wrap_puts(const char* text) {
    return std::fputs(text, stderr) < 0 ? EOF : std::fputc('\n', stderr);
}

int __wrap_putchar(int c) {
    return std::fputc(c, stderr);
}
}
