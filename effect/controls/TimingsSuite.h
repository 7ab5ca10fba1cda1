// The effect's own extension suite: a host that offers it hears, after each frame, how long
// each stage of the frame took on the GPU. After Effects does not offer it; the effect then
// times nothing. Our headless host does, for `zarvo-neon render --timings` and the benchmarks.
#pragma once

#include "A.h"
#include "SPBasic.h"

#define kZarvoNeonTimingsSuite "Zarvo Neon Timings Suite"
#define kZarvoNeonTimingsSuiteVersion1 1

typedef struct ZarvoNeonTimingsSuite1 {
    // One stage of the frame just drawn, in the order drawn: its name, the passes it took and
    // their time on the GPU.
    SPAPI A_Err (*ReportStage)(const A_char* stage, A_long passes, A_FpLong milliseconds);
} ZarvoNeonTimingsSuite1;
