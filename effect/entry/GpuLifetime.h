// The GPU halves of global set-up and set-down: the root context, and the release of every
// long-lived GL object. Each puts back the context the host had current.
#pragma once

namespace Kelvane {
namespace Neon {

void gpuStartup();
void gpuSetdown();

} // namespace Neon
} // namespace Kelvane
