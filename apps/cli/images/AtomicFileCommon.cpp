#include "apps/cli/images/AtomicFileCommon.h"

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/images/ImageFiles.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Kelvane::Neon::Apps {
namespace {

// The longest file name (one path component) common file systems take, in bytes.
constexpr std::size_t kNameMax = 255;

// Two buffers, so the name a handler may be reading is never the one being rewritten.
char inFlightNames[2][4096];
std::atomic<int> inFlight{-1};
int nextBuffer = 0;
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

} // namespace

std::string temporaryName(const std::string& file, const std::string& unique) {
    const auto dot = file.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : file.substr(dot);
    const std::string middle = ".tmp" + unique;
    if (1 + middle.size() + extension.size() > kNameMax) {
        extension.clear(); // no format has an extension this long
    }
    std::size_t keep = std::min(file.size(), kNameMax - 1 - middle.size() - extension.size());
    // UTF-8 continuation bytes (10xxxxxx) belong to the character before them.
    while (keep > 0 && keep < file.size() &&
           (static_cast<unsigned char>(file[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    return "." + file.substr(0, keep) + middle + extension;
}

int trackInFlight(const std::string& temporary) {
    if (temporary.size() >= sizeof inFlightNames[0]) {
        inFlight.store(-1);
        return -1;
    }
    const int record = nextBuffer;
    nextBuffer ^= 1;
    std::memcpy(inFlightNames[record], temporary.c_str(), temporary.size() + 1);
    inFlight.store(record);
    return record;
}

void untrackInFlight(int record) {
    inFlight.compare_exchange_strong(record, -1);
}

const char* takeInFlight() {
    const int record = inFlight.exchange(-1);
    return record < 0 ? nullptr : inFlightNames[record];
}

void PendingFile::fail(const std::string& why) {
    discard();
    throw ImageFileError("cannot write " + target_ + ": " + why);
}

void writeFileAtomically(const std::string& target, const void* data, std::size_t size) {
    PendingFile file(target);
    file.write(data, size);
    file.commit();
}

PendingFile::PendingFile(const std::string& target)
    : target_(target), temporary_(temporaryBeside(target)), tracked_(trackInFlight(temporary_)) {}

PendingFile::~PendingFile() {
    if (!committed_) {
        discard();
    }
}

} // namespace Kelvane::Neon::Apps
