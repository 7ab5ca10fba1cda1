// The floor of a frame's cost on this machine's GPU: upload the 8-bit frame, one trivial
// full-screen pass into an 8-bit target, read it back. Render times are reported as a ratio
// to it, a figure that carries from machine to machine.
#pragma once

namespace Kelvane::Neon::Bench {

// Median milliseconds of `repeats` round trips at this size, on the calling thread's own
// context (made current for the measurement, released after).
double floorMillis(int width, int height, int repeats = 7);

} // namespace Kelvane::Neon::Bench
