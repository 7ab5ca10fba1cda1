// A whole render command through the entry point: upload, distance field, strokes, read-back.
// Each run also reports `floor_ratio`: its time over the floor (Floor.h) at the same size.

#include "standins/aehost/host/EffectHost.h"
#include "benchmarks/Floor.h"
#include "apps/cli/commands/Sample.h"
#include "standins/aehost/host/World.h"
#include "effect/entry/EntryPoint.h"
#include "effect/controls/NeonParams.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>

namespace {

// Arguments: width, height, Quality (1 Extreme .. 4 Low), Stroke Count.
void BM_RenderSample(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    host.send(PF_Cmd_GLOBAL_SETUP);
    host.paramsSetup();
    host.streams().at(NEON_QUALITY).u.pd.value = static_cast<int>(state.range(2));
    host.streams().at(NEON_STROKE_COUNT).u.sd.value = static_cast<int>(state.range(3));
    Kelvane::Neon::Host::World input(width, height);
    input.fromRgba(Kelvane::Neon::Apps::sampleLayer(width, height));
    Kelvane::Neon::Host::World output(width, height);
    // Each stage's GPU time, summed over the timed frames: `stage_ms_<stage>` per frame.
    host.collectTimings();
    std::map<std::string, double> stages;
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
        for (const auto& stage : host.frameTimings()) {
            stages[stage.stage] += stage.milliseconds;
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
    for (const auto& [stage, milliseconds] : stages) {
        state.counters["stage_ms_" + stage] = milliseconds / double(state.iterations());
    }
    const double floor = Kelvane::Neon::Bench::floorMillis(width, height);
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

// Ten strokes against one at 1920 x 1080, Low, frame by frame in turn, so that both see the
// same machine: `ratio` is the ten-stroke frame's time over the one-stroke frame's.
void BM_StrokeCountCost(benchmark::State& state) {
    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    host.send(PF_Cmd_GLOBAL_SETUP);
    host.paramsSetup();
    Kelvane::Neon::Host::World input(kWidth, kHeight);
    input.fromRgba(Kelvane::Neon::Apps::sampleLayer(kWidth, kHeight));
    Kelvane::Neon::Host::World output(kWidth, kHeight);
    const int counts[] = {1, 10};
    double total[2] = {0.0, 0.0};
    for (int count : counts) {
        host.streams().at(NEON_STROKE_COUNT).u.sd.value = count;
        if (host.render(input.world(), output.world()) != PF_Err_NONE) {
            state.SkipWithError("render failed");
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            host.streams().at(NEON_STROKE_COUNT).u.sd.value = counts[i];
            const auto start = std::chrono::steady_clock::now();
            if (host.render(input.world(), output.world()) != PF_Err_NONE) {
                state.SkipWithError("render failed");
                break;
            }
            total[i] +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
    }
    const double frames = double(state.iterations());
    state.counters["one_ms"] = total[0] / frames;
    state.counters["ten_ms"] = total[1] / frames;
    state.counters["ratio"] = total[0] > 0.0 ? total[1] / total[0] : 0.0;
    host.send(PF_Cmd_GLOBAL_SETDOWN);
}
BENCHMARK(BM_StrokeCountCost)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(4.0);

} // namespace

BENCHMARK_MAIN();
