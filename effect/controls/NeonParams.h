// Parameter indices: the position of each control in the host's params array.
// Every part of the effect addresses controls through this one enumeration.
#pragma once

enum NeonParam {
    NEON_INPUT = 0,
    NEON_HEADER,
    NEON_TYPE,
    NEON_STROKE_COUNT,
    NEON_START_DISTANCE,
    NEON_END_DISTANCE,
    NEON_STROKE_WIDTH,
    NEON_VISIBILITY_GROUP_START,
    NEON_DIRECTION,
    NEON_VISIBILITY,
    NEON_VISIBILITY_SEED,
    NEON_VISIBILITY_GROUP_END,
    NEON_COLORS_GROUP_START,
    NEON_COLOR_TYPE,
    NEON_COLOR_COUNT,
    NEON_COLOR_1,
    NEON_COLOR_2,
    NEON_COLOR_3,
    NEON_COLOR_4,
    NEON_COLOR_5,
    NEON_COLOR_6,
    NEON_COLOR_7,
    NEON_COLOR_8,
    NEON_RANDOM_SEED,
    NEON_COLORS_GROUP_END,
    NEON_GLOW_GROUP_START,
    NEON_GLOW_SIZE,
    NEON_GLOW_OPACITY,
    NEON_GLOW_RANDOM,
    NEON_GLOW_RANDOM_SEED,
    NEON_GLOW_GROUP_END,
    NEON_SMOOTH,
    NEON_COMPOSITE,
    NEON_QUALITY,
    NEON_NUM_PARAMS
};

static_assert(NEON_QUALITY == 33 && NEON_NUM_PARAMS == 34, "the parameter order is a contract");
