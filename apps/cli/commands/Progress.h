// The progress of a sequence render on one line, redrawn in place: a bar, frames done, frames
// per second and the time left. Only drawn where asked (on a terminal, without --quiet).
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

namespace Kelvane::Neon::Apps {

class Progress {
public:
    // Draws on `out` for `total` frames when `shown`, each line after `prefix`; the clock
    // starts now.
    Progress(std::ostream& out, int total, bool shown, std::string prefix = std::string());
    // Calls finish().
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void frameDone();
    // Ends the line, once, so what follows starts on a line of its own.
    void finish();

    // The line for `done` of `total` frames after `seconds`: the rate and the time left are
    // left out until a frame is done.
    static std::string line(int done, int total, double seconds);

private:
    std::ostream& out_;
    int total_;
    bool shown_;
    std::string prefix_;
    int done_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point drawn_ = start_;
};

} // namespace Kelvane::Neon::Apps
