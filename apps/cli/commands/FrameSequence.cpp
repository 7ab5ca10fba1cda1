#include "apps/cli/commands/FrameSequence.h"

#include "apps/cli/commands/UsageError.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

namespace Kelvane::Neon::Apps {
namespace {

namespace fs = std::filesystem;

// Frame numbers up to 9 digits: every one fits an int.
constexpr std::size_t kMaxFrameDigits = 9;

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// "%%" stands for one '%', as printf writes it.
std::string unescapePercents(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

std::optional<int> frameNumber(const std::string& digits) {
    if (!allDigits(digits) || digits.size() > kMaxFrameDigits) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

} // namespace

FramePattern::FramePattern(const std::string& name) : text_(name) {
    const auto slash = name.find_last_of("/\\");
    folder_ = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    const std::string file = name.substr(folder_.size());
    std::size_t start = std::string::npos;
    std::size_t end = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        std::size_t patternEnd = 0;
        int width = 0;
        if (file[i] == '#') {
            patternEnd = file.find_first_not_of('#', i);
            patternEnd = patternEnd == std::string::npos ? file.size() : patternEnd;
            width = int(patternEnd - i);
        } else if (file[i] == '%') {
            // "%d" or "%0Nd"; "%%" is a '%' of the name, and so is any other '%'.
            std::size_t j = i + 1;
            if (j < file.size() && file[j] == '%') {
                ++i;
                continue;
            }
            if (j < file.size() && file[j] == '0') {
                const std::size_t digits = file.find_first_not_of("0123456789", j + 1);
                if (digits == std::string::npos || digits == j + 1 || file[digits] != 'd') {
                    continue;
                }
                const std::string count = file.substr(j + 1, digits - j - 1);
                width = count.size() > 2 ? 99 : std::stoi(count);
                j = digits;
            }
            if (j >= file.size() || file[j] != 'd') {
                continue;
            }
            patternEnd = j + 1;
        } else {
            continue;
        }
        if (start != std::string::npos) {
            throw UsageError(name + " holds more than one frame-number pattern");
        }
        if (width > int(kMaxFrameDigits)) {
            throw UsageError(name + " asks for more than 9 frame digits");
        }
        start = i;
        end = patternEnd;
        width_ = width;
        i = patternEnd - 1;
    }
    if (start != std::string::npos) {
        sequence_ = true;
        prefix_ = unescapePercents(file.substr(0, start));
        suffix_ = unescapePercents(file.substr(end));
    }
    still_ = folder_ + unescapePercents(file);
}

std::string FramePattern::nameOf(int frame) const {
    if (!sequence_) {
        return still_;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", width_, frame);
    return folder_ + prefix_ + digits + suffix_;
}

std::optional<int> FramePattern::frameOf(const std::string& fileName) const {
    if (!sequence_ || fileName.size() <= prefix_.size() + suffix_.size() ||
        fileName.compare(0, prefix_.size(), prefix_) != 0 ||
        fileName.compare(fileName.size() - suffix_.size(), suffix_.size(), suffix_) != 0) {
        return std::nullopt;
    }
    const std::optional<int> frame = frameNumber(
        fileName.substr(prefix_.size(), fileName.size() - prefix_.size() - suffix_.size()));
    // "frame-7.png" is not frame 7 of "frame-####.png".
    if (!frame || nameOf(*frame) != folder_ + fileName) {
        return std::nullopt;
    }
    return frame;
}

FrameRange parseFrameRange(const std::string& text) {
    const auto dash = text.find('-');
    const auto first = frameNumber(text.substr(0, dash));
    const auto last = dash == std::string::npos ? first : frameNumber(text.substr(dash + 1));
    if (!first || !last) {
        throw UsageError("--frames needs a range of frame numbers A-B (or one frame A), not \"" +
                         text + "\"");
    }
    if (*last < *first) {
        throw UsageError("--frames " + text + " is reversed: it holds no frame (write " +
                         std::to_string(*last) + "-" + std::to_string(*first) + ")");
    }
    return {*first, *last};
}

FrameRange framesOnDisk(const FramePattern& pattern) {
    std::set<int> frames;
    std::error_code error;
    const fs::path folder = pattern.folder().empty() ? fs::path(".") : fs::path(pattern.folder());
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (const auto frame = pattern.frameOf(entry->path().filename().string())) {
            frames.insert(*frame);
        }
    }
    if (frames.empty()) {
        throw UsageError("no files match " + pattern.text());
    }
    const FrameRange range{*frames.begin(), *frames.rbegin()};
    if (int(frames.size()) != range.count()) {
        int missing = range.first;
        while (frames.count(missing) != 0) {
            ++missing;
        }
        throw UsageError("frame " + std::to_string(missing) + " of " + pattern.text() +
                         " is missing (" + pattern.nameOf(missing) + "), between frames " +
                         std::to_string(range.first) + " and " + std::to_string(range.last));
    }
    return range;
}

void requireFrames(const FramePattern& pattern, const FrameRange& range) {
    for (int frame = range.first; frame <= range.last; ++frame) {
        std::error_code error;
        if (!fs::is_regular_file(pattern.nameOf(frame), error)) {
            throw UsageError("input frame " + std::to_string(frame) +
                             " is missing: " + pattern.nameOf(frame) + " is not a file");
        }
    }
}

} // namespace Kelvane::Neon::Apps
