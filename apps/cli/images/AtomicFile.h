// Whole-or-nothing file writes: write to a temporary file beside the target, flush it to disk,
// then put it in the target's place, so a failed or interrupted write leaves no half-written
// file and keeps any earlier one. The platform parts are in AtomicFilePosix.cpp and
// AtomicFileWin32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kelvane::Neon::Apps {

// A hidden name in the target's own folder (a rename never crosses file systems), unique to
// this process and call, ending in the target's extension so writers that pick a format by
// name pick the same one. The copied part of the target's name is shortened (between
// characters) so the name stays within 255 bytes, the longest a file system takes.
std::string temporaryBeside(const std::string& target);

// The temporary file of one write. It is removed unless commit() puts it in the target's
// place: on failure, by the destructor, and on an interrupt once installInterruptCleanup()
// has run (the last PendingFile made is the one the signal handler knows). Messages name the
// target, never the temporary.
class PendingFile {
public:
    explicit PendingFile(const std::string& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& target() const { return target_; }
    // For a writer that makes the file itself, instead of write().
    const std::string& temporary() const { return temporary_; }

    // Appends `size` bytes, creating the temporary on the first call; every byte is written or
    // ImageFileError says why.
    void write(const void* data, std::size_t size);
    // Flushes the temporary to disk (reopening it when another writer made it), refuses an
    // empty one, renames it over the target and flushes the folder.
    void commit();
    // Removes the temporary and throws ImageFileError("cannot write TARGET: why").
    [[noreturn]] void fail(const std::string& why);

private:
    void discard();

    std::string target_;
    std::string temporary_;
    std::intptr_t file_ = -1; // a descriptor, or a Windows handle; -1 when not open
    int tracked_ = -1;        // the signal handler's record of the temporary
    bool committed_ = false;
};

// `size` bytes as the whole of `target`.
void writeFileAtomically(const std::string& target, const void* data, std::size_t size);

// On SIGINT, SIGTERM and SIGHUP (Ctrl+C, Ctrl+Break and closing the console on Windows):
// removes the temporary file in flight, then lets the signal end the process as it would have.
// SIGXFSZ (a write past the file size limit, `ulimit -f`) is ignored instead, so the write
// fails with EFBIG and the failure is reported like a full disk: the temporary removed, a
// message naming the file, a failed exit. Signals already ignored or handled are left alone.
// Call once, before the first write.
void installInterruptCleanup();

} // namespace Kelvane::Neon::Apps
