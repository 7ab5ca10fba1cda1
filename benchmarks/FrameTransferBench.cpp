// Cost of moving a frame through the GPU: upload, one pass-through draw into the layer
// (multisampled and resolved, as "Neon And Origin" draws, or single-sample, as "Only Neon"
// does), conversion, read-back into the host world. And the per-render context lookup.

#include "standins/aehost/host/EffectHost.h"
#include "effect/entry/EntryPoint.h"
#include "standins/aehost/host/World.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/FrameTransfer.h"
#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/RenderTarget.h"
#include "GlSources.h"

#include <benchmark/benchmark.h>
#include <glbinding/gl33core/gl.h>

using namespace gl;
using namespace Kelvane::Neon;

namespace {

constexpr const char* kPassThrough = R"glsl(#version 330
in vec2 uv;
out vec4 colourOut;
uniform sampler2D videoTexture;
void main() {
    vec4 argb = texture(videoTexture, uv);
    vec4 c = vec4(argb.g, argb.b, argb.a, argb.r);
    colourOut = vec4(c.rgb * c.a, c.a);
}
)glsl";

void BM_FrameRoundTrip(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool multisampled = state.range(2) != 0;
    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    ContextRegistry::createRoot();
    {
        Kelvane::Neon::Host::World input(width, height, 16);
        Kelvane::Neon::Host::World output(width, height, 16);
        input.fill(PF_Pixel{200, 10, 120, 250});
        OpenglShader program(glsl::kCommonVertex, kPassThrough);
        program.bindAttribLocation("position", 0);
        program.bindAttribLocation("input_uv", 1);
        FullScreenQuad quad;
        RenderTarget target;

        for (auto _ : state) {
            std::uint64_t bytesPerPixel = 0;
            GLenum pixelType = GL_NONE;
            float multiplier = 0.0f;
            target.resize(width, height);
            target.begin(multisampled);
            Texture texture = uploadTexture(kFormatArgb8, input.world(), &host.inData(),
                                            &bytesPerPixel, &pixelType, &multiplier);
            quad.bind();
            program.use();
            program.setTexture("videoTexture", GL_TEXTURE_2D, texture.get(), 0);
            quad.draw(program);
            texture.reset();
            target.finish(multiplier);
            downloadTexture(width, height, input.world(), output.world(), &host.inData(),
                            kFormatArgb8, bytesPerPixel, pixelType);
            benchmark::DoNotOptimize(output.bytes().data());
        }
        state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
        quad.release();
        target.release();
    }
    ContextRegistry::destroyAll();
}
BENCHMARK(BM_FrameRoundTrip)
    ->ArgNames({"w", "h", "multisampled"})
    ->Args({256, 256, 1})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Unit(benchmark::kMillisecond);

void BM_ContextLookup(benchmark::State& state) {
    ContextRegistry::createRoot();
    ContextRegistry::contextForCurrentThread();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ContextRegistry::contextForCurrentThread());
    }
    ContextRegistry::destroyAll();
}
BENCHMARK(BM_ContextLookup);

} // namespace
