// Turns the alpha of the input layer into a distance map by jump flooding at a resolution
// reduced by Quality: every texel holds (d / End Distance)^(1/2.2), d being its distance in
// map texels to the nearest seed (texels on the far side of the alpha edge from the strokes),
// optionally blurred by the smoother. Owns its programs, smoother, textures and quad: the
// flood's seed coordinates ping-pong between two-channel textures, the map (distance, then
// blurred) between four-channel ones.
// Used on the render thread with its context current and the RenderTarget begun; no lock.
#pragma once

#include "effect/neon/GaussianSmoother.h"
#include "effect/controls/NeonSettings.h"

#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/GlObject.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/Vec2.h"

#include <glbinding/gl33core/gl.h>

#include <array>
#include <cstdint>

namespace Kelvane {
namespace Neon {

class RenderTarget;

class DistanceFieldGenerator {
public:
    // Draws through `target`, which outlives it; its options choose the passes.
    explicit DistanceFieldGenerator(RenderTarget& target);
    virtual ~DistanceFieldGenerator();
    DistanceFieldGenerator(const DistanceFieldGenerator&) = delete;
    DistanceFieldGenerator& operator=(const DistanceFieldGenerator&) = delete;

    // inputTexture: the uploaded layer (alpha, red, green, blue); frameSize in frame pixels;
    // scale 1..4 frame pixels per map texel; levels 1..11 jump-flood levels; neonType the side
    // of the edge the strokes run on; endDistance and smoothRadius in frame pixels.
    void generate(gl::GLuint inputTexture, const Vec2d& frameSize, std::int32_t scale,
                  std::int32_t levels, NeonType neonType, double endDistance, double smoothRadius);
    // The latest finished map; valid until the next generate.
    gl::GLuint resultTexture() const { return pingPong[1 - current].get(); }
    const Vec2i& mapSize() const { return mapSizeInTexels; }

    // Deletes every GL object (the root context current); abandon forgets them without a call.
    void release();
    void abandon();

private:
    // One full-screen pass into the write texture of a pair: begin binds the target and puts
    // `program` in use for its uniforms; finish draws, unbinds and makes the written texture
    // the read one.
    void beginPass(OpenglShader& program, const Texture (&textures)[2]);
    void finishPass(OpenglShader& program);
    void deleteTextures();

    RenderTarget& target;
    FullScreenQuad quad;
    std::array<OpenglShader*, 6> programs();

    // Over packed seeds, and over two floats a seed as the passes are written (for the tests'
    // comparison).
    OpenglShader seedProgram;
    OpenglShader writtenSeedProgram;
    OpenglShader jumpFloodProgram;
    OpenglShader writtenJumpFloodProgram;
    OpenglShader lastFloodProgram; // the last step, into the distance map
    OpenglShader writtenDistanceProgram;
    GaussianSmoother smoother;
    std::int32_t mapScaleFactor = 1;
    Vec2i mapSizeInTexels;
    double distLimitInTexels = 0.0;
    Texture pingPong[2];
    Texture seedTextures[2];
    // Whether the textures were made for the passes as written (four-channel, filtered).
    bool texturesAsWritten = false;
    int current = 0;
    // Set by generate, cleared by release and abandon: the destructor then makes no GL call.
    bool holdsObjects = false;
};

} // namespace Neon
} // namespace Kelvane
