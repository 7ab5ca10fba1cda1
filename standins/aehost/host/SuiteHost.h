// The host's basic suite: hands out suites by name and version, keeps a ledger of every
// acquire and release, and can be told to refuse a named suite. Suites are plain C records,
// so one SuiteHost serves the whole process (the most recently made one is active).
#pragma once

#include "standins/aehost/host/Traps.h"

#include "AE_EffectCBSuites.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Kelvane::Neon::Host {

struct LedgerEntry {
    bool acquire; // false: a release
    std::string name;
    A_long version;
    bool granted; // acquires only: whether the suite was handed out
};

class SuiteHost {
public:
    SuiteHost();
    ~SuiteHost();
    SuiteHost(const SuiteHost&) = delete;
    SuiteHost& operator=(const SuiteHost&) = delete;

    SPBasicSuite* basic() { return &basic_; }

    // Registers a suite record under a name and version (the record must outlive the host).
    // Slots the record leaves empty get stand-ins that fail naming the slot, as would a
    // function the host does not serve.
    template <class Suite> void provide(const std::string& name, A_long version, Suite* suite) {
        Traps::fill(suite, sizeof(Suite), "\"" + name + "\" version " + std::to_string(version));
        provideRecord(name, version, suite);
    }
    void refuse(const std::string& name) { refused_.insert(name); }
    void allow(const std::string& name) { refused_.erase(name); }

    std::vector<LedgerEntry> ledger() const;
    void clearLedger();
    // Suites acquired and not yet released, as (name, version) with the count held.
    std::map<std::pair<std::string, A_long>, int> outstanding() const;
    // Releases of suites that were never handed out (or released once too often).
    int unmatchedReleases() const { return unmatchedReleases_; }

private:
    void provideRecord(const std::string& name, A_long version, const void* suite);
    static SPErr acquire(const char* name, A_long version, const void** suite);
    static SPErr release(const char* name, A_long version);

    SPBasicSuite basic_;
    std::map<std::pair<std::string, A_long>, const void*> suites_;
    std::set<std::string> refused_;
    std::vector<LedgerEntry> ledger_;
    std::map<std::pair<std::string, A_long>, int> held_;
    int unmatchedReleases_ = 0;
    mutable std::mutex mutex_;
};

// The "PF ANSI Suite" and the utils->ansi callbacks share these.
PF_ANSICallbacksSuite1 ansiSuite();
PF_ANSICallbacks ansiCallbacks();

} // namespace Kelvane::Neon::Host
