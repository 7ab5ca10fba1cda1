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
#include <vector>

namespace {

using Kelvane::Neon::Bench::medianOf;

// The built-in sample at one size and Quality, its programs built by a first frame. A timed
// scene has the effect time its stages (a flush at every stage) for `frame(&stages)`.
struct SampleScene {
    SampleScene(int width, int height, int quality, int strokes, bool timed = false)
        : width(width), height(height), host(&EntryPointFunc), input(width, height),
          output(width, height) {
        host.send(PF_Cmd_GLOBAL_SETUP);
        host.paramsSetup();
        host.streams().at(NEON_QUALITY).u.pd.value = quality;
        host.streams().at(NEON_STROKE_COUNT).u.sd.value = strokes;
        input.fromRgba(Kelvane::Neon::Apps::sampleLayer(width, height));
        if (timed) {
            host.collectTimings();
        }
        ok = host.render(input.world(), output.world()) == PF_Err_NONE;
    }
    ~SampleScene() { host.send(PF_Cmd_GLOBAL_SETDOWN); }

    // One frame, in milliseconds; each stage's time is added to `stages`.
    double frame(std::map<std::string, double>* stages = nullptr) {
        const auto start = std::chrono::steady_clock::now();
        ok = ok && host.render(input.world(), output.world()) == PF_Err_NONE;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (stages != nullptr) {
            for (const auto& stage : host.frameTimings()) {
                (*stages)[stage.stage] += stage.milliseconds;
            }
        }
        return ms;
    }

    int width;
    int height;
    Kelvane::Neon::Host::EffectHost host;
    Kelvane::Neon::Host::World input;
    Kelvane::Neon::Host::World output;
    bool ok = false;
};

// Arguments: width, height, Quality (1 Extreme .. 4 Low), Stroke Count. The reported time is
// the render call's; after each frame the floor (Floor.h) makes one trip at the same size, so
// that both see the same machine from moment to moment: `floor_ratio` is the median frame
// over the median trip. `stage_ms_<stage>` is each stage's GPU time per frame.
void BM_RenderSample(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    SampleScene scene(width, height, static_cast<int>(state.range(2)),
                      static_cast<int>(state.range(3)), true);
    Kelvane::Neon::Bench::Floor floor(width, height);
    std::map<std::string, double> stages;
    std::vector<double> frames;
    std::vector<double> trips;
    for (auto _ : state) {
        const double ms = scene.frame(&stages);
        if (!scene.ok) {
            state.SkipWithError("render failed");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        frames.push_back(ms);
        trips.push_back(floor.once());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
    for (const auto& [stage, milliseconds] : stages) {
        state.counters["stage_ms_" + stage] = milliseconds / double(state.iterations());
    }
    const double frame = medianOf(frames);
    const double trip = medianOf(trips);
    state.counters["frame_ms"] = frame;
    state.counters["floor_ms"] = trip;
    state.counters["floor_ratio"] = trip > 0.0 ? frame / trip : 0.0;
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
    ->UseManualTime()
    ->MinTime(2.0);

// A frame's cost against its pixel count, for each Quality: the chart in the README
// (scripts/speed-chart.py) is drawn from these rows.
BENCHMARK(BM_RenderSample)
    ->Name("BM_PixelScaling")
    ->ArgNames({"w", "h", "quality", "strokes"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        const int sizes[][2] = {{480, 270}, {960, 540}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
        for (int quality = 1; quality <= 4; ++quality) {
            for (const auto& size : sizes) {
                b->Args({size[0], size[1], quality, 3});
            }
        }
    })
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);

// 3840 x 2160 against 1920 x 1080 at one Quality (the argument), the two frames in turn:
// `ratio` is the median over the turns of the 4K frame's time over the 1080p frame's just
// before it, for four times the pixels; a pair sees the machine in one moment, where medians
// taken apart would drift with it (at Extreme a turn takes more than a second).
void BM_FourKOverFullHd(benchmark::State& state) {
    const int quality = static_cast<int>(state.range(0));
    SampleScene full(1920, 1080, quality, 3);
    SampleScene four(3840, 2160, quality, 3);
    std::vector<double> fullTimes;
    std::vector<double> fourTimes;
    std::vector<double> ratios;
    for (auto _ : state) {
        fullTimes.push_back(full.frame());
        fourTimes.push_back(four.frame());
        if (!full.ok || !four.ok) {
            state.SkipWithError("render failed");
            break;
        }
        if (fullTimes.back() > 0.0) {
            ratios.push_back(fourTimes.back() / fullTimes.back());
        }
        state.SetIterationTime((fullTimes.back() + fourTimes.back()) / 1000.0);
    }
    state.counters["hd_ms"] = medianOf(fullTimes);
    state.counters["uhd_ms"] = medianOf(fourTimes);
    state.counters["ratio"] = medianOf(ratios);
}
BENCHMARK(BM_FourKOverFullHd)
    ->ArgName("quality")
    ->DenseRange(1, 4)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(8.0);

// Ten strokes against one at 1920 x 1080, Low, frame by frame in turn, so that both see the
// same machine: `ratio` is the ten-stroke frame's time over the one-stroke frame's.
void BM_StrokeCountCost(benchmark::State& state) {
    SampleScene scene(1920, 1080, 4, 10);
    const int counts[] = {1, 10};
    std::vector<double> times[2];
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            scene.host.streams().at(NEON_STROKE_COUNT).u.sd.value = counts[i];
            times[i].push_back(scene.frame());
        }
        if (!scene.ok) {
            state.SkipWithError("render failed");
            break;
        }
    }
    const double one = medianOf(times[0]);
    const double ten = medianOf(times[1]);
    state.counters["one_ms"] = one;
    state.counters["ten_ms"] = ten;
    state.counters["ratio"] = one > 0.0 ? ten / one : 0.0;
}
BENCHMARK(BM_StrokeCountCost)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(4.0);

} // namespace

BENCHMARK_MAIN();
