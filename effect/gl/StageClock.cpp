#include "effect/gl/StageClock.h"

#include <cstdint>
#include <cstring>

using namespace gl;

namespace Kelvane {
namespace Neon {

StageClock::~StageClock() {
    // A clock still running here lost its frame to an exception; its context may be gone.
    abandon();
}

void StageClock::start() {
    stop();
    // The first query marks the start; each later one ends the stage at the same place in
    // `stages_`, one before it.
    stamp(nullptr);
}

void StageClock::stamp(const char* stage) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glQueryCounter(query, GL_TIMESTAMP);
    // Sent now, so that work the driver does on the CPU between two stamps (a texture upload
    // converted in place) falls between their times instead of before both.
    glFlush();
    queries_.push_back(query);
    if (stage != nullptr) {
        stages_.push_back(stage);
    }
}

std::vector<StageTime> StageClock::read() {
    std::vector<StageTime> times;
    std::uint64_t previous = 0;
    for (std::size_t i = 0; i < queries_.size(); ++i) {
        GLuint64 now = 0;
        glGetQueryObjectui64v(queries_[i], GL_QUERY_RESULT, &now);
        if (i > 0) {
            const char* stage = stages_[i - 1];
            const double milliseconds = now >= previous ? double(now - previous) / 1e6 : 0.0;
            StageTime* same = nullptr;
            for (StageTime& t : times) {
                if (t.stage == stage) {
                    same = &t;
                }
            }
            if (same == nullptr) {
                times.push_back({stage, 0, 0.0});
                same = &times.back();
            }
            ++same->passes;
            same->milliseconds += milliseconds;
        }
        previous = now;
    }
    stop();
    return times;
}

void StageClock::stop() {
    if (!queries_.empty()) {
        glDeleteQueries(static_cast<GLsizei>(queries_.size()), queries_.data());
    }
    abandon();
}

void StageClock::abandon() {
    queries_.clear();
    stages_.clear();
}

} // namespace Neon
} // namespace Kelvane
