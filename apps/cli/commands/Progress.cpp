#include "apps/cli/commands/Progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <utility>

namespace Kelvane::Neon::Apps {
namespace {

constexpr int kBarWidth = 24;
// Fast steps (a pass that only reads the controls) redraw at most this often.
constexpr std::chrono::milliseconds kRedraw{100};

std::string clock(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    }
    return text;
}

} // namespace

Progress::Progress(std::ostream& out, int total, bool shown, std::string prefix)
    : out_(out), total_(total), shown_(shown), prefix_(std::move(prefix)) {
    if (shown_) {
        out_ << '\r' << prefix_ << line(0, total_, 0.0) << std::flush;
    }
}

Progress::~Progress() {
    finish();
}

void Progress::finish() {
    if (shown_) {
        out_ << '\n' << std::flush;
        shown_ = false;
    }
}

void Progress::frameDone() {
    ++done_;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && (now - drawn_ >= kRedraw || done_ == total_)) {
        drawn_ = now;
        const std::chrono::duration<double> elapsed = now - start_;
        // Padded, so a shorter line covers what the last one left.
        out_ << '\r' << prefix_ << line(done_, total_, elapsed.count()) << "   " << std::flush;
    }
}

std::string Progress::line(int done, int total, double seconds) {
    const int filled = total > 0 ? int(std::lround(double(kBarWidth) * done / total)) : kBarWidth;
    std::string text = "[" + std::string(std::size_t(filled), '#') +
                       std::string(std::size_t(kBarWidth - filled), '-') + "] " +
                       std::to_string(done) + "/" + std::to_string(total) + " frames";
    if (done > 0 && seconds > 0.0) {
        const double rate = done / seconds;
        char fps[32];
        std::snprintf(fps, sizeof fps, "  %.1f fps", rate);
        text += fps;
        text += "  " + clock((total - done) / rate) + " left";
    }
    return text;
}

} // namespace Kelvane::Neon::Apps
