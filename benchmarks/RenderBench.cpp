// A whole render command through the entry point: upload, distance field, strokes, read-back.
// Each run also reports `floor_ratio`: its time over the floor (Floor.h) at the same size.

#include "EffectHost.h"
#include "Floor.h"
#include "Sample.h"
#include "World.h"
#include "host/EntryPoint.h"
#include "host/NeonParams.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// Arguments: width, height, Quality (1 Extreme .. 4 Low), Stroke Count.
void BM_RenderSample(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    aehost::EffectHost host(&EntryPointFunc);
    host.send(PF_Cmd_GLOBAL_SETUP);
    host.paramsSetup();
    host.streams().at(NEON_QUALITY).u.pd.value = static_cast<int>(state.range(2));
    host.streams().at(NEON_STROKE_COUNT).u.sd.value = static_cast<int>(state.range(3));
    aehost::World input(width, height);
    input.fromRgba(zarvo::sampleLayer(width, height));
    aehost::World output(width, height);
    // The first frame builds the programs and targets.
    if (host.render(input.world(), output.world()) != PF_Err_NONE) {
        state.SkipWithError("render failed");
    }
    double total = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (host.render(input.world(), output.world()) != PF_Err_NONE) {
            state.SkipWithError("render failed");
            break;
        }
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
    const double floor = zarvo_bench::floorMillis(width, height);
    state.counters["floor_ms"] = floor;
    state.counters["floor_ratio"] = total / double(state.iterations()) / floor;
    host.send(PF_Cmd_GLOBAL_SETDOWN);
}
BENCHMARK(BM_RenderSample)
    ->ArgNames({"w", "h", "quality", "strokes"})
    ->Args({480, 270, 4, 3})
    ->Args({480, 270, 1, 3})
    ->Args({1920, 1080, 4, 1})
    ->Args({1920, 1080, 4, 3})
    ->Args({1920, 1080, 4, 10})
    ->Args({1920, 1080, 1, 3})
    ->Args({3840, 2160, 4, 3})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
