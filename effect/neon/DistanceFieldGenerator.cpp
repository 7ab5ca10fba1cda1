#include "effect/neon/DistanceFieldGenerator.h"

#include "GlSources.h"
#include "NeonGlslSources.h"
#include "effect/neon/GlslConstants.h"
#include "effect/controls/Reach.h"

#include "effect/gl/RenderTarget.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

constexpr std::int32_t kMinScale = 1;
constexpr std::int32_t kMaxScale = 4;
// Step widths up to 2048 texels; more passes would only cost time.
constexpr std::int32_t kMinLevels = 1;
constexpr std::int32_t kMaxLevels = 11;

void bindQuadAttributes(OpenglShader& program) {
    program.bindAttribLocation("position", 0);
    program.bindAttribLocation("input_uv", 1);
}

// Map texels along one axis: the frame extent over the scale, rounded up; at least one, so
// that an empty or invalid frame still leaves a defined map.
std::int32_t mapExtent(double frameExtent, std::int32_t scale) {
    const double texels = std::ceil(frameExtent / scale);
    if (!(texels >= 1.0)) {
        return 1;
    }
    return static_cast<std::int32_t>(
        std::min(texels, double(std::numeric_limits<std::int32_t>::max())));
}

// A seed, flood or distance program over packed seeds (one 32-bit integer a texel, read with
// nearest samples), or over the two floats a texel as the passes are written.
std::string seedPassText(bool packed, const char* fragment, bool withConstants = false,
                         bool toDistance = false) {
    return glslWithSwitches({{"PACKED_SEEDS", packed}, {"TO_DISTANCE", toDistance}},
                            {withConstants ? glslConstants() : "", glsl::kSeedPacking, fragment});
}

} // namespace

DistanceFieldGenerator::DistanceFieldGenerator(RenderTarget& target)
    : target(target), seedProgram(glsl::kCommonVertex, seedPassText(true, glsl::kSeedFragment)),
      writtenSeedProgram(glsl::kCommonVertex, seedPassText(false, glsl::kSeedFragment)),
      jumpFloodProgram(glsl::kCommonVertex, seedPassText(true, glsl::kJumpFloodFragment)),
      writtenJumpFloodProgram(glsl::kCommonVertex, seedPassText(false, glsl::kJumpFloodFragment)),
      lastFloodProgram(glsl::kCommonVertex,
                       seedPassText(true, glsl::kJumpFloodFragment, true, true)),
      writtenDistanceProgram(glsl::kCommonVertex,
                             seedPassText(false, glsl::kDistanceFragment, true)) {
    for (OpenglShader* program : programs()) {
        bindQuadAttributes(*program);
    }
}

std::array<OpenglShader*, 6> DistanceFieldGenerator::programs() {
    return {&seedProgram,      &writtenSeedProgram,    &jumpFloodProgram, &writtenJumpFloodProgram,
            &lastFloodProgram, &writtenDistanceProgram};
}

DistanceFieldGenerator::~DistanceFieldGenerator() {
    // After release or abandon nothing is held, and there may be no context to call into.
    if (holdsObjects) {
        release();
    }
}

void DistanceFieldGenerator::generate(GLuint inputTexture, const Vec2d& frameSize,
                                      std::int32_t scale, std::int32_t levels, NeonType neonType,
                                      double endDistance, double smoothRadius) {
    holdsObjects = true;
    current = 0;
    mapScaleFactor = std::clamp(scale, kMinScale, kMaxScale);
    const std::int32_t floodLevels = std::clamp(levels, kMinLevels, kMaxLevels);
    distLimitInTexels = endDistance / mapScaleFactor;

    const Vec2i size{mapExtent(frameSize.x, mapScaleFactor),
                     mapExtent(frameSize.y, mapScaleFactor)};
    const bool asWritten = target.passesAsWritten();
    if (size.x != mapSizeInTexels.x || size.y != mapSizeInTexels.y || !pingPong[0] ||
        asWritten != texturesAsWritten) {
        deleteTextures();
        const Vec2d extent{double(size.x), double(size.y)};
        for (int i = 0; i < 2; ++i) {
            // The distance is read from red alone: one channel, a quarter of the memory.
            pingPong[i] = target.createTexture(extent, asWritten ? 4 : 1);
            // The flood keeps only seed coordinates: packed in one integer, a quarter of the
            // memory to stream through on every pass, the same values.
            seedTextures[i] =
                asWritten ? target.createTexture(extent, 4) : target.createSeedTexture(extent);
        }
        mapSizeInTexels = size;
        texturesAsWritten = asWritten;
    }
    const Vec2d mapSize{double(size.x), double(size.y)};

    OpenglShader& seeding = asWritten ? writtenSeedProgram : seedProgram;
    beginPass(seeding, seedTextures);
    seeding.setUniform1f("inner", neonType == NeonType::Inner ? 1.0f : 0.0f);
    seeding.setTexture("t0", GL_TEXTURE_2D, inputTexture, 0);
    finishPass(seeding);
    target.clock().mark("seeds");

    // Step widths 2^n, 2^(n-1), ..., 1. A limit that is not positive puts every texel but
    // the seeds out of reach.
    const float limit =
        distLimitInTexels > 0.0 ? float(distLimitInTexels) : std::numeric_limits<float>::min();
    OpenglShader& flood = asWritten ? writtenJumpFloodProgram : jumpFloodProgram;
    for (std::int32_t level = 0; level <= floodLevels; ++level) {
        const GLuint seeds = seedTextures[1 - current].get();
        // The fast passes' last step writes the distance map itself: no pass of its own.
        const bool last = level == floodLevels && !asWritten;
        OpenglShader& step = last ? lastFloodProgram : flood;
        if (last) {
            current = 0;
            beginPass(step, pingPong);
            step.setUniform1f("distLimit", limit);
        } else {
            beginPass(step, seedTextures);
        }
        step.setUniform1i("width", 1 << (floodLevels - level));
        step.setUniform2f("viewSize", mapSize);
        step.setTexture("t0", GL_TEXTURE_2D, seeds, 0);
        finishPass(step);
        target.clock().mark("jump flood");
    }

    if (asWritten) {
        const GLuint seeds = seedTextures[1 - current].get();
        current = 0;
        beginPass(writtenDistanceProgram, pingPong);
        writtenDistanceProgram.setUniform2f("mapSize", mapSize);
        writtenDistanceProgram.setUniform1f("distLimit", limit);
        writtenDistanceProgram.setTexture("t0", GL_TEXTURE_2D, seeds, 0);
        finishPass(writtenDistanceProgram);
        target.clock().mark("distance");
    }

    if (smoothRadius >= kMinSmoothRadius) {
        // The radius acts on map texels as given.
        smoother.setBlurRadius(smoothRadius);
        smoother.setRedOnly(!asWritten);
        smoother.blur(target, quad, mapSize, resultTexture(), pingPong[current].get(), 1.0f);
        current = 1 - current;
        target.clock().mark("blur");
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void DistanceFieldGenerator::beginPass(OpenglShader& program, const Texture (&textures)[2]) {
    target.beginRenderToTexture(textures[current].get(),
                                Vec2d{double(mapSizeInTexels.x), double(mapSizeInTexels.y)}, 0);
    quad.bind();
    program.use();
}

void DistanceFieldGenerator::finishPass(OpenglShader& program) {
    quad.draw(program);
    target.endRenderToTexture();
    current = 1 - current;
}

void DistanceFieldGenerator::deleteTextures() {
    for (Texture* pair : {pingPong, seedTextures}) {
        pair[0].reset();
        pair[1].reset();
    }
}

void DistanceFieldGenerator::release() {
    deleteTextures();
    quad.release();
    for (OpenglShader* program : programs()) {
        program->release();
    }
    smoother.release();
    mapSizeInTexels = Vec2i{};
    current = 0;
    holdsObjects = false;
}

void DistanceFieldGenerator::abandon() {
    for (Texture* pair : {pingPong, seedTextures}) {
        pair[0].abandon();
        pair[1].abandon();
    }
    quad.abandon();
    for (OpenglShader* program : programs()) {
        program->abandon();
    }
    smoother.abandon();
    mapSizeInTexels = Vec2i{};
    current = 0;
    holdsObjects = false;
}

} // namespace Neon
} // namespace Kelvane
