// The host's four Drawbot suites, acquired and released as one set. Failures reach the host
// through out_data (the error flag and a message) and the returned code, never as exceptions.
#pragma once

#include "AE_Effect.h"
#include "adobesdk/DrawbotSuite.h"

// A null field is a suite not held.
struct DrawbotSuites {
    const DRAWBOT_DrawbotSuite1* drawbot_suiteP = nullptr;
    const DRAWBOT_SupplierSuite1* supplier_suiteP = nullptr;
    const DRAWBOT_SurfaceSuite2* surface_suiteP = nullptr;
    const DRAWBOT_PathSuite1* path_suiteP = nullptr;
};

// Acquires one suite through the basic suite. On failure returns 516, leaves *suite null and
// puts `message` (or, when null, a text naming the suite) into out_data->return_msg.
PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* message, const void** suite);

// Acquires Draw, Supplier, Surface and Path in that order, stopping at the first failure and
// returning its code; the fields after it are left as they were. A null record gives 514.
PF_Err AEFX_AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);

// Releases the suites the record holds, in the order Draw, Supplier, Surface, Path, and clears
// their fields. Without a basic suite nothing can be released: each held suite then gets a
// message and stays in the record. Always returns 0.
PF_Err AEFX_ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);

namespace Kelvane {
namespace Neon {

// The Drawbot suites for the length of a scope: whatever was acquired is released on every way
// out, also after a partial acquisition or an exception.
class ScopedDrawbotSuites {
public:
    ScopedDrawbotSuites(PF_InData* in_data, PF_OutData* out_data);
    ~ScopedDrawbotSuites() { release(); }
    ScopedDrawbotSuites(const ScopedDrawbotSuites&) = delete;
    ScopedDrawbotSuites& operator=(const ScopedDrawbotSuites&) = delete;

    // The acquisition's result: 0 when all four suites are held.
    PF_Err error() const { return error_; }
    const DrawbotSuites& get() const { return suites_; }
    // Gives the suites back before the scope ends; later calls release nothing more.
    void release();

private:
    PF_InData* in_data_;
    PF_OutData* out_data_;
    DrawbotSuites suites_;
    PF_Err error_;
};

} // namespace Neon
} // namespace Kelvane
