// Holds one host suite for the length of a scope. Acquired by name and version from the host's
// basic suite; a refusal throws the integer 13, or, for a suite the host may not offer
// (std::nothrow), leaves `get()` null. Released by the same name and version on destruction,
// only if one is held. Used on the thread of the command that made it.
#pragma once

#include "A.h"
#include "SPBasic.h"

#include <new>

namespace Kelvane {
namespace Neon {

constexpr A_long kSuiteRefused = 13;

template <typename Suite> class SuiteScoper {
public:
    SuiteScoper(const SPBasicSuite* basic, const char* name, A_long version)
        : SuiteScoper(basic, name, version, std::nothrow) {
        if (suite_ == nullptr) {
            throw kSuiteRefused;
        }
    }
    SuiteScoper(const SPBasicSuite* basic, const char* name, A_long version, std::nothrow_t)
        : basic_(basic), name_(name), version_(version) {
        const void* suite = nullptr;
        if (basic_ != nullptr && basic_->AcquireSuite(name_, version_, &suite) == kSPNoError) {
            suite_ = static_cast<const Suite*>(suite);
        }
    }
    ~SuiteScoper() {
        if (suite_ != nullptr) {
            basic_->ReleaseSuite(name_, version_);
        }
    }
    SuiteScoper(const SuiteScoper&) = delete;
    SuiteScoper& operator=(const SuiteScoper&) = delete;

    const Suite* get() const { return suite_; }
    const Suite* operator->() const { return suite_; }

private:
    const SPBasicSuite* basic_;
    const char* name_;
    A_long version_;
    const Suite* suite_ = nullptr;
};

} // namespace Neon
} // namespace Kelvane
