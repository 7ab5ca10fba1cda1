// The frei0r API over the effect. f0r_init and f0r_deinit are the effect's global set-up and
// set-down; each f0r_construct is an effect instance with its own control values and frame
// size. Every call into the module takes one process-wide lock, with the calling instance's
// host made the active one: the module renders one frame at a time, and the host's callbacks
// find their host through the active instance. Hosts that call f0r_init once per filter
// (ffmpeg does) are counted: the set-down waits for the last f0r_deinit and the last instance.

#include "apps/frei0r/FilterParams.h"
#include "apps/frei0r/NeonFilter.h"

#include "standins/aehost/host/EffectHost.h"
#include "effect/controls/EffectInfo.h"
#include "effect/entry/EntryPoint.h"

extern "C" {
#include <frei0r.h>
}

#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#define F0R_EXPORT extern "C" __attribute__((visibility("default")))

namespace Kelvane::Neon::Apps {
namespace {

struct Plugin {
    std::mutex lock;
    int inits = 0;
    std::unique_ptr<Kelvane::Neon::Host::EffectHost>
        globalHost;     // holds the set-up until the set-down
    bool ready = false; // the global set-up succeeded
    std::set<NeonFilter*> instances;
    std::set<std::string> reported; // faults without an instance, each said once
};

// Never destroyed: a host may call in from its own static destructors, after ours would run.
Plugin& plugin() {
    static Plugin* p = new Plugin();
    return *p;
}

void reportOnce(Plugin& p, const std::string& kind, const std::string& message) {
    if (p.reported.insert(kind).second) {
        std::fprintf(stderr, "zarvo_neon: %s\n", message.c_str());
    }
}

// The controls, as the description gives them.
const FilterParams& filterParams() {
    static const FilterParams params;
    return params;
}

NeonFilter* instanceOf(Plugin& p, f0r_instance_t instance, const char* call) {
    auto* filter = static_cast<NeonFilter*>(instance);
    if (p.instances.count(filter) == 0) {
        reportOnce(p, std::string("instance ") + call,
                   std::string(call) + " got " + (instance ? "an unknown" : "a null") +
                       " instance; ignored");
        return nullptr;
    }
    return filter;
}

void setDownWhenUnused(Plugin& p) {
    if (p.inits > 0 || !p.instances.empty() || !p.globalHost) {
        return;
    }
    {
        Kelvane::Neon::Host::EffectHost::Activation active(*p.globalHost);
        p.globalHost->send(PF_Cmd_GLOBAL_SETDOWN);
    }
    p.globalHost.reset();
    p.ready = false;
}

// Runs one API call under the lock. No exception may reach a C host: one that escapes the call
// is said once and the call changes nothing more.
template <typename Body> void serve(const char* call, Body&& body) noexcept {
    Plugin& p = plugin();
    std::lock_guard<std::mutex> hold(p.lock);
    try {
        body(p);
    } catch (const std::exception& e) {
        try {
            reportOnce(p, std::string("exception ") + call,
                       std::string(call) + " failed: " + e.what());
        } catch (...) {
        }
    }
}

} // namespace
} // namespace Kelvane::Neon::Apps

using namespace Kelvane::Neon::Apps;

F0R_EXPORT int f0r_init() {
    int started = 0;
    serve("f0r_init", [&](Plugin& p) {
        if (p.inits++ > 0 || p.globalHost) {
            started = p.ready ? 1 : 0;
            return;
        }
        p.globalHost = std::make_unique<Kelvane::Neon::Host::EffectHost>(&EntryPointFunc);
        Kelvane::Neon::Host::EffectHost::Activation active(*p.globalHost);
        p.ready = p.globalHost->send(PF_Cmd_GLOBAL_SETUP) == PF_Err_NONE;
        if (!p.ready) {
            std::string why = p.globalHost->outData().return_msg;
            for (const std::string& fault : p.globalHost->faults()) {
                why += (why.empty() ? "" : "; ") + fault;
            }
            std::fprintf(stderr, "zarvo_neon: the effect could not start%s%s\n",
                         why.empty() ? "" : ": ", why.c_str());
        }
        started = p.ready ? 1 : 0;
    });
    return started;
}

F0R_EXPORT void f0r_deinit() {
    serve("f0r_deinit", [](Plugin& p) {
        if (p.inits == 0) {
            reportOnce(p, "deinit", "f0r_deinit without f0r_init; ignored");
            return;
        }
        --p.inits;
        setDownWhenUnused(p);
    });
}

F0R_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    serve("f0r_get_plugin_info", [&](Plugin& p) {
        if (info == nullptr) {
            reportOnce(p, "plugin info", "f0r_get_plugin_info got a null pointer; nothing written");
            return;
        }
        info->name = Kelvane::Neon::kEffectName;
        info->author = kFilterAuthor;
        info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
        info->color_model = F0R_COLOR_MODEL_RGBA8888;
        info->frei0r_version = FREI0R_MAJOR_VERSION;
        info->major_version = Kelvane::Neon::kMajorVersion;
        info->minor_version = Kelvane::Neon::kMinorVersion;
        info->num_params = filterParams().size();
        info->explanation = kFilterExplanation;
    });
}

F0R_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
    serve("f0r_get_param_info", [&](Plugin& p) {
        const FilterParam* param = filterParams().find(param_index);
        if (info == nullptr) {
            reportOnce(p, "param info null",
                       "f0r_get_param_info got a null pointer; nothing written");
        } else if (param == nullptr) {
            reportOnce(p, "param info index",
                       "f0r_get_param_info: there is no parameter " + std::to_string(param_index) +
                           "; nothing written");
        } else {
            info->name = param->name.c_str();
            info->type = param->type;
            info->explanation = param->explanation.c_str();
        }
    });
}

F0R_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    NeonFilter* made = nullptr;
    serve("f0r_construct", [&](Plugin& p) {
        auto filter = std::make_unique<NeonFilter>(filterParams(), width, height);
        p.instances.insert(filter.get());
        made = filter.release();
    });
    return made;
}

F0R_EXPORT void f0r_destruct(f0r_instance_t instance) {
    serve("f0r_destruct", [&](Plugin& p) {
        if (NeonFilter* filter = instanceOf(p, instance, "f0r_destruct")) {
            p.instances.erase(filter);
            delete filter;
            setDownWhenUnused(p);
        }
    });
}

F0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
    serve("f0r_set_param_value", [&](Plugin& p) {
        if (NeonFilter* filter = instanceOf(p, instance, "f0r_set_param_value")) {
            filter->setParam(param, param_index);
        }
    });
}

F0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
    serve("f0r_get_param_value", [&](Plugin& p) {
        if (NeonFilter* filter = instanceOf(p, instance, "f0r_get_param_value")) {
            filter->getParam(param, param_index);
        }
    });
}

F0R_EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe,
                           uint32_t* outframe) {
    serve("f0r_update", [&](Plugin& p) {
        if (NeonFilter* filter = instanceOf(p, instance, "f0r_update")) {
            filter->update(time, inframe, outframe, p.ready);
        }
    });
}

F0R_EXPORT void f0r_update2(f0r_instance_t instance, double time, const uint32_t* inframe1,
                            const uint32_t* /*inframe2*/, const uint32_t* /*inframe3*/,
                            uint32_t* outframe) {
    f0r_update(instance, time, inframe1, outframe);
}
