// A whole render command through the entry point: upload, distance field, strokes, read-back.

#include "EffectHost.h"
#include "Sample.h"
#include "World.h"
#include "host/EntryPoint.h"
#include "host/NeonParams.h"

#include <benchmark/benchmark.h>

namespace {

// Arguments: width, height, Quality (1 Extreme .. 4 Low).
void BM_RenderSample(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    aehost::EffectHost host(&EntryPointFunc);
    host.send(PF_Cmd_GLOBAL_SETUP);
    host.paramsSetup();
    host.streams().at(NEON_QUALITY).u.pd.value = static_cast<int>(state.range(2));
    aehost::World input(width, height);
    input.fromRgba(zarvo::sampleLayer(width, height));
    aehost::World output(width, height);
    for (auto _ : state) {
        if (host.render(input.world(), output.world()) != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
    host.send(PF_Cmd_GLOBAL_SETDOWN);
}
BENCHMARK(BM_RenderSample)
    ->Args({480, 270, 4})
    ->Args({480, 270, 1})
    ->Args({1920, 1080, 4})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
