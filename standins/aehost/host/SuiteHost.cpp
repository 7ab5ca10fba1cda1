#include "standins/aehost/host/SuiteHost.h"

#include "standins/aehost/host/ActiveInstance.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Kelvane::Neon::Host {
namespace {

constexpr SPErr kSuiteNotFound = 0x53214e46; // '!SNF'

int hostSprintf(A_char* dst, const A_char* format, ...) {
    va_list args;
    va_start(args, format);
    // Every string the effect API formats is a message of at most PF_MAX_EFFECT_MSG_LEN.
    const int n = std::vsnprintf(dst, PF_MAX_EFFECT_MSG_LEN + 1, format, args);
    va_end(args);
    return n;
}

A_char* hostStrcpy(A_char* dst, const A_char* src) {
    return std::strcpy(dst, src);
}

} // namespace

PF_ANSICallbacksSuite1 ansiSuite() {
    PF_ANSICallbacksSuite1 s{};
    s.atan = [](A_FpLong x) { return std::atan(x); };
    s.atan2 = [](A_FpLong y, A_FpLong x) { return std::atan2(y, x); };
    s.ceil = [](A_FpLong x) { return std::ceil(x); };
    s.cos = [](A_FpLong x) { return std::cos(x); };
    s.exp = [](A_FpLong x) { return std::exp(x); };
    s.fabs = [](A_FpLong x) { return std::fabs(x); };
    s.floor = [](A_FpLong x) { return std::floor(x); };
    s.fmod = [](A_FpLong x, A_FpLong y) { return std::fmod(x, y); };
    s.hypot = [](A_FpLong x, A_FpLong y) { return std::hypot(x, y); };
    s.log = [](A_FpLong x) { return std::log(x); };
    s.log10 = [](A_FpLong x) { return std::log10(x); };
    s.pow = [](A_FpLong x, A_FpLong y) { return std::pow(x, y); };
    s.sin = [](A_FpLong x) { return std::sin(x); };
    s.sqrt = [](A_FpLong x) { return std::sqrt(x); };
    s.tan = [](A_FpLong x) { return std::tan(x); };
    s.sprintf = hostSprintf;
    s.strcpy = hostStrcpy;
    s.asin = [](A_FpLong x) { return std::asin(x); };
    s.acos = [](A_FpLong x) { return std::acos(x); };
    return s;
}

PF_ANSICallbacks ansiCallbacks() {
    const PF_ANSICallbacksSuite1 s = ansiSuite();
    PF_ANSICallbacks c{};
    c.atan = s.atan, c.atan2 = s.atan2, c.ceil = s.ceil, c.cos = s.cos, c.exp = s.exp;
    c.fabs = s.fabs, c.floor = s.floor, c.fmod = s.fmod, c.hypot = s.hypot, c.log = s.log;
    c.log10 = s.log10, c.pow = s.pow, c.sin = s.sin, c.sqrt = s.sqrt, c.tan = s.tan;
    c.sprintf = s.sprintf, c.strcpy = s.strcpy, c.asin = s.asin, c.acos = s.acos;
    return c;
}

SuiteHost::SuiteHost() : basic_{} {
    basic_.AcquireSuite = &SuiteHost::acquire;
    basic_.ReleaseSuite = &SuiteHost::release;
    basic_.IsEqual = [](const char* a, const char* b) -> SPBoolean {
        return std::strcmp(a, b) == 0;
    };
    Traps::fill(&basic_, sizeof basic_, "SPBasicSuite");
    ActiveInstance<SuiteHost>::push(this);
}

SuiteHost::~SuiteHost() {
    ActiveInstance<SuiteHost>::remove(this);
}

void SuiteHost::provideRecord(const std::string& name, A_long version, const void* suite) {
    std::lock_guard<std::mutex> lock(mutex_);
    suites_[{name, version}] = suite;
}

SPErr SuiteHost::acquire(const char* name, A_long version, const void** suite) {
    SuiteHost* host = ActiveInstance<SuiteHost>::get();
    if (host == nullptr || name == nullptr || suite == nullptr) {
        return kSuiteNotFound;
    }
    std::lock_guard<std::mutex> lock(host->mutex_);
    const auto found = host->suites_.find({name, version});
    const bool granted = found != host->suites_.end() && host->refused_.count(name) == 0;
    host->ledger_.push_back({true, name, version, granted});
    if (!granted) {
        *suite = nullptr;
        return kSuiteNotFound;
    }
    *suite = found->second;
    ++host->held_[{name, version}];
    return kSPNoError;
}

SPErr SuiteHost::release(const char* name, A_long version) {
    SuiteHost* host = ActiveInstance<SuiteHost>::get();
    if (host == nullptr || name == nullptr) {
        return kSuiteNotFound;
    }
    std::lock_guard<std::mutex> lock(host->mutex_);
    host->ledger_.push_back({false, name, version, false});
    auto held = host->held_.find({name, version});
    if (held == host->held_.end()) {
        ++host->unmatchedReleases_;
        return kSuiteNotFound;
    }
    if (--held->second == 0) {
        host->held_.erase(held);
    }
    return kSPNoError;
}

std::vector<LedgerEntry> SuiteHost::ledger() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ledger_;
}

void SuiteHost::clearLedger() {
    std::lock_guard<std::mutex> lock(mutex_);
    ledger_.clear();
}

std::map<std::pair<std::string, A_long>, int> SuiteHost::outstanding() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}

} // namespace Kelvane::Neon::Host
