#include "apps/cli/commands/Timings.h"

#include <cstdio>

namespace Kelvane::Neon::Apps {

namespace {

std::string line(const std::string& label, double milliseconds, const std::string& note) {
    char text[160];
    std::snprintf(text, sizeof text, "  %-14s %9.2f ms%s%s\n", label.c_str(), milliseconds,
                  note.empty() ? "" : "  ", note.c_str());
    return text;
}

} // namespace

std::string formatTimings(const std::string& frame, int width, int height,
                          const std::vector<Host::EffectHost::StageTiming>& stages,
                          double wallMilliseconds) {
    std::string text =
        frame + ", " + std::to_string(width) + " x " + std::to_string(height) + ":\n";
    if (stages.empty()) {
        text += "  (the effect reported no stage times)\n";
    }
    double gpu = 0.0;
    for (const Host::EffectHost::StageTiming& s : stages) {
        gpu += s.milliseconds;
        text += line(s.stage, s.milliseconds,
                     s.passes > 1 ? std::to_string(s.passes) + " passes" : std::string());
    }
    if (!stages.empty()) {
        text += line("stages in all", gpu, "");
    }
    text += line("wall", wallMilliseconds, "the effect's render call");
    return text;
}

} // namespace Kelvane::Neon::Apps
