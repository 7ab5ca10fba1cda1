// Image sequences on disk: file names with a frame-number pattern, and frame ranges.
#pragma once

#include <optional>
#include <string>

namespace Kelvane::Neon::Apps {

// A file name whose last component may hold one frame-number pattern: printf's "%d" or "%0Nd",
// or a run of N '#' (N digits, zero padded, as compositors write it). Numbers that need more
// digits get them, as printf gives them, and "%%" is one '%' of the name.
class FramePattern {
public:
    // Throws UsageError for a name with more than one pattern.
    explicit FramePattern(const std::string& name);

    bool isSequence() const { return sequence_; }
    const std::string& text() const { return text_; }
    // The file of frame `frame` (0 or later); the name itself for a still.
    std::string nameOf(int frame) const;
    // The frame a file name of the pattern's folder stands for, when it is exactly that
    // frame's name.
    std::optional<int> frameOf(const std::string& fileName) const;
    // The folder the frames lie in ("" for the working folder), with its trailing separator.
    const std::string& folder() const { return folder_; }

private:
    std::string text_;
    std::string still_; // the name of a still, "%%" written as '%'
    std::string folder_;
    std::string prefix_; // of the last component, before the pattern
    std::string suffix_;
    int width_ = 0;
    bool sequence_ = false;
};

// Frames first to last, both included, numbered from 0.
struct FrameRange {
    int first = 0;
    int last = 0;
    int count() const { return last - first + 1; }
};

// "A-B" or a single frame "A". Throws UsageError for an empty, reversed or malformed range.
FrameRange parseFrameRange(const std::string& text);

// The frames on disk for `pattern`, first to last. Throws UsageError when no file matches or
// a frame between the first and the last is missing.
FrameRange framesOnDisk(const FramePattern& pattern);

// Throws UsageError naming the first frame of `range` whose file is not a regular file.
void requireFrames(const FramePattern& pattern, const FrameRange& range);

} // namespace Kelvane::Neon::Apps
