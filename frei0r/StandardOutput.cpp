// Inside the plug-in, the module's diagnostics (the context information block, shader logs)
// go to standard error: a frei0r host may be writing the video itself to standard output
// (`ffmpeg ... -f rawvideo -`). The link wraps every reference to the standard output calls
// and objects that the plug-in's code makes (--wrap in CMakeLists.txt); the host's own stay
// as they are.

#include <cstdarg>
#include <cstdio>
#include <iostream>

// Made when the plug-in loads, after <iostream> has made std::cerr; nothing writes to it before
// the first call into the plug-in.
std::ostream zarvoDiagnostics asm("__wrap__ZSt4cout")(std::cerr.rdbuf());

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
