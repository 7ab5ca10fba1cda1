// sdk/ gives each kind of Drawbot object a reference type of its own, since the published header
// does not make them one type: code that hands a path where an object is due, without a cast,
// must fail to build against sdk/ as it would against the published header. Building this file
// is the test.
#include "adobesdk/DrawbotSuite.h"

#include <type_traits>

namespace {

template <class First, class... Rest> constexpr bool distinct() {
    if constexpr (sizeof...(Rest) == 0) {
        return true;
    } else {
        return !(std::is_same_v<First, Rest> || ...) && distinct<Rest...>();
    }
}

static_assert(distinct<DRAWBOT_DrawRef, DRAWBOT_ObjectRef, DRAWBOT_SupplierRef, DRAWBOT_SurfaceRef,
                       DRAWBOT_PenRef, DRAWBOT_BrushRef, DRAWBOT_PathRef, DRAWBOT_FontRef,
                       DRAWBOT_ImageRef>(),
              "each Drawbot reference type is a type of its own");

} // namespace
