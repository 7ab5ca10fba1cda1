// The built frei0r plug-in, loaded as a frei0r host loads it (dlopen, then its f0r_* symbols),
// with small helpers for setting and reading its parameters by name.
#pragma once

extern "C" {
#include <frei0r.h>
}

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// How often `part` occurs in `text`: messages said once are counted.
inline int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class Frei0rPlugin {
public:
    Frei0rPlugin() : handle_(dlopen(ZARVO_FREI0R_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ == nullptr) {
            throw std::runtime_error(dlerror());
        }
        load(init, "f0r_init");
        load(deinit, "f0r_deinit");
        load(pluginInfo, "f0r_get_plugin_info");
        load(paramInfo, "f0r_get_param_info");
        load(construct, "f0r_construct");
        load(destruct, "f0r_destruct");
        load(setParam, "f0r_set_param_value");
        load(getParam, "f0r_get_param_value");
        load(update, "f0r_update");
    }
    Frei0rPlugin(const Frei0rPlugin&) = delete;
    Frei0rPlugin& operator=(const Frei0rPlugin&) = delete;

    int (*init)();
    void (*deinit)();
    void (*pluginInfo)(f0r_plugin_info_t*);
    void (*paramInfo)(f0r_param_info_t*, int);
    f0r_instance_t (*construct)(unsigned, unsigned);
    void (*destruct)(f0r_instance_t);
    void (*setParam)(f0r_instance_t, f0r_param_t, int);
    void (*getParam)(f0r_instance_t, f0r_param_t, int);
    void (*update)(f0r_instance_t, double, const std::uint32_t*, std::uint32_t*);

    // The index of the parameter named `name`; fails the test when there is none.
    int index(const std::string& name) const {
        f0r_plugin_info_t info{};
        pluginInfo(&info);
        for (int i = 0; i < info.num_params; ++i) {
            f0r_param_info_t param{};
            paramInfo(&param, i);
            if (name == param.name) {
                return i;
            }
        }
        ADD_FAILURE() << "no parameter " << name;
        return -1;
    }
    void setDouble(f0r_instance_t instance, const std::string& name, double value) const {
        setParam(instance, &value, index(name));
    }
    double getDouble(f0r_instance_t instance, const std::string& name) const {
        double value = -99.0;
        getParam(instance, &value, index(name));
        return value;
    }
    void setString(f0r_instance_t instance, const std::string& name, const char* value) const {
        setParam(instance, &value, index(name));
    }
    std::string getString(f0r_instance_t instance, const std::string& name) const {
        char* value = nullptr;
        getParam(instance, &value, index(name));
        return value != nullptr ? value : "(null)";
    }

private:
    template <typename F> void load(F& function, const char* name) {
        function = reinterpret_cast<F>(dlsym(handle_, name));
        if (function == nullptr) {
            throw std::runtime_error(std::string("no ") + name);
        }
    }

    void* handle_; // kept loaded: the module's threads and contexts may outlive a test
};
