// Times a frame's stages on the GPU with timestamp queries: `start` before the first stage,
// `mark(stage)` after each (a stage marked again, such as each jump-flood step, adds its passes
// together), `read` once the frame has been read back, when every result is ready. Idle unless
// started: a frame nobody asks about costs one branch per mark. Queries belong to the context
// they were made in, so a clock is started, marked and read in one context, within one frame.
#pragma once

#include <glbinding/gl33core/gl.h>

#include <string>
#include <vector>

namespace Kelvane {
namespace Neon {

struct StageTime {
    std::string stage;
    int passes = 0;
    double milliseconds = 0.0;
};

class StageClock {
public:
    StageClock() = default;
    ~StageClock();
    StageClock(const StageClock&) = delete;
    StageClock& operator=(const StageClock&) = delete;

    void start();
    bool running() const { return !queries_.empty(); }
    void mark(const char* stage) {
        if (running()) {
            stamp(stage);
        }
    }
    // Each stage's time, first marked first; stops the clock.
    std::vector<StageTime> read();
    // Deletes the queries without reading them (the context is current).
    void stop();
    // Forgets them without a GL call: their context is gone.
    void abandon();

private:
    void stamp(const char* stage);

    std::vector<gl::GLuint> queries_;
    std::vector<const char*> stages_;
};

} // namespace Neon
} // namespace Kelvane
