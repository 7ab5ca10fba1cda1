#include "apps/cli/commands/FrameRate.h"

#include "apps/cli/commands/Fraction.h"
#include "apps/cli/commands/UsageError.h"

#include <cstdint>
#include <limits>

namespace Kelvane::Neon::Apps {

FrameRate parseFrameRate(const std::string& text) {
    const std::optional<Fraction> rate = parseFraction(text, true);
    if (!rate) {
        throw UsageError("--fps needs frames per second as a number or a fraction such as "
                         "30000/1001, not \"" +
                         text + "\"");
    }
    if (rate->numerator == 0 || rate->numerator > 1000 * rate->denominator) {
        throw UsageError("--fps must lie above 0 and at most at 1000, not " + text);
    }
    // The scale is 32 bits and a frame's step a signed 32-bit time.
    if (rate->numerator > std::numeric_limits<A_u_long>::max() ||
        rate->denominator > std::uint64_t(std::numeric_limits<A_long>::max())) {
        throw UsageError("--fps " + text + " is too fine for the host's clock");
    }
    return {A_u_long(rate->numerator), A_u_long(rate->denominator)};
}

Kelvane::Neon::Host::FrameTime frameTime(const FrameRate& rate, int frame) {
    const std::int64_t time = std::int64_t(frame) * rate.seconds;
    if (frame < 0 || time > std::numeric_limits<A_long>::max()) {
        throw UsageError("frame " + std::to_string(frame) +
                         " lies beyond the host's clock at this frame rate");
    }
    return {A_long(time), A_long(rate.seconds), rate.frames};
}

} // namespace Kelvane::Neon::Apps
