// Separable Gaussian blur of a texture in two passes (vertical, then horizontal), through a
// GLSL program generated for the current radius: weights computed here, neighbouring texel
// pairs merged into single linear samples. The program is regenerated only when the rounded
// radius changes. Owned by the DistanceFieldGenerator; used on the render thread with its
// context current; no lock.
#pragma once

#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/GlObject.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/Vec2.h"

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kelvane {
namespace Neon {

class RenderTarget;

class GaussianSmoother {
public:
    GaussianSmoother();
    ~GaussianSmoother();
    GaussianSmoother(const GaussianSmoother&) = delete;
    GaussianSmoother& operator=(const GaussianSmoother&) = delete;

    // Radius in texels; clamped to 1..40. A rounded radius of 2 always means the initial
    // sigma 2 over 4 texels, so a frame never depends on the frames before it.
    void setBlurRadius(double radius);
    // For a distance map that carries its value in red alone (one-channel textures): the
    // converting pass gives red as the four-channel pass gives it, for a map whose red and
    // green are equal, and nothing else.
    void setRedOnly(bool redOnly);
    // Overwrites `destination` with `source` blurred; both are `size` texels. A positive
    // `multiplier16bit` selects the converting final pass.
    void blur(RenderTarget& target, FullScreenQuad& quad, const Vec2d& size, gl::GLuint source,
              gl::GLuint destination, float multiplier16bit);

    std::int32_t sampleRadius() const { return sampleRadius_; }
    double sigma() const { return sigma_; }
    // The generated stage texts for the current sigma and sample radius.
    std::string vertexShaderText() const;
    std::string fragmentShaderText() const;
    // Normalised weights w[0..R] of the current sampling.
    std::vector<float> weights() const;
    // Whether the next blur makes a new program.
    bool programOutdated() const { return dirty; }
    // Deletes the program and the kept texture (the smoother stays usable: the next blur
    // makes them again).
    void release();
    void abandon();

private:
    void computeSampling(float radius);
    void deleteTemporary();

    std::unique_ptr<OpenglShader> program;
    std::int32_t sampleRadius_ = 4;
    double sigma_ = 2.0;
    double lastBlurRadius = 2.0;
    bool dirty = true;
    bool redOnly_ = false;
    Vec2d viewSize;
    // The vertical pass's result, kept while frames keep their size.
    Texture temporary;
    Vec2d temporarySize;
};

} // namespace Neon
} // namespace Kelvane
