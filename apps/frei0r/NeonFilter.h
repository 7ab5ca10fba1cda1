// One frei0r instance: an effect instance of its own (a headless host holding its control
// values) for frames of one size, rendered through the module's entry point. frei0r has no
// error return, so a call that cannot be served leaves the values as they were or passes the
// frame through unchanged, and says why on standard error once per instance and kind of fault.
// Callers hold the plug-in's lock: one call into the module at a time, from any thread.
#pragma once

#include "standins/aehost/host/EffectHost.h"
#include "apps/frei0r/FilterParams.h"
#include "standins/aehost/host/World.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

class NeonFilter {
public:
    // `params` outlives the filter. The effect's controls start at their defaults; throws
    // std::runtime_error when the effect does not declare them.
    NeonFilter(const FilterParams& params, unsigned width, unsigned height);

    void setParam(const void* value, int index);
    void getParam(void* value, int index);
    // Renders `in` into `out` (both width x height RGBA pixels, straight alpha) at `time`
    // seconds; `ready` says whether the effect's global set-up succeeded.
    void update(double time, const std::uint32_t* in, std::uint32_t* out, bool ready);

    // Writes `message` to standard error the first time `kind` comes up for this instance.
    void reportOnce(const std::string& kind, const std::string& message);

private:
    // Out of the effect's hands: `out` gets `in` unchanged.
    void passThrough(const std::uint32_t* in, std::uint32_t* out) const;
    bool render(double time, const std::uint32_t* in, std::uint32_t* out);

    const FilterParams& params_;
    unsigned width_;
    unsigned height_;
    std::unique_ptr<Kelvane::Neon::Host::EffectHost> host_;
    // Made on the first frame: a host that only asks about parameters allocates nothing.
    std::unique_ptr<Kelvane::Neon::Host::World> input_;
    std::unique_ptr<Kelvane::Neon::Host::World> output_;
    std::vector<std::string> texts_; // popup names handed out by getParam
    std::set<std::string> reported_;
};

} // namespace Kelvane::Neon::Apps
