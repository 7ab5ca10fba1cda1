// The frame's drawing surface: a stack of colour layers (multisampled renderbuffers, or
// single-sample textures where every sample of a pixel would be equal), the resolve into a
// texture, temporary framebuffers for passes that draw into textures of their
// own, and the conversion into a single-sample output renderbuffer in the host's channel
// order. The effect's is made at global set-up and deleted at set-down, after its GL objects
// went (`release`). Renderbuffers are shared by all contexts; framebuffers are
// kept per context, deleted with it, and hold their attachments only during a frame, so
// storage deleted in one context is not kept alive by another's framebuffers. Used only
// inside the render command, one render at a time.
#pragma once

#include "effect/gl/DownloadPass.h"
#include "effect/gl/GlObject.h"
#include "effect/gl/StageClock.h"
#include "effect/gl/PerContext.h"
#include "effect/gl/Vec2.h"

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Kelvane {
namespace Neon {

// How a target and the passes drawn into it evaluate a frame.
struct RenderOptions {
    // The passes as they are written (every stroke, every colour mode and the blend;
    // multisampled layers; targets zero-filled and cleared before each pass; a float upload)
    // rather than the fast path: the same bytes, for tests to compare in one run.
    bool passesAsWritten = false;
    // Asked before each storage allocation (output renderbuffer and layers); true skips it,
    // leaving the object without storage as a failed allocation does. Empty: none skipped.
    std::function<bool()> skipAllocation;
};

class RenderTarget {
public:
    explicit RenderTarget(RenderOptions options = {});
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    bool passesAsWritten() const { return options_.passesAsWritten; }

    // Sized in frame pixels; nothing is recreated when the size is unchanged.
    void resize(std::int32_t width, std::int32_t height);
    // Pushes the frame's layer: multisampled, or one sample where whatever is drawn gives
    // every sample of a pixel the same value, so the resolve would change nothing. A frame
    // whose first pass overwrites every sample leaves it uncleared (`overwritten`), unless the
    // passes run as written.
    void begin(bool multisampled = true, bool overwritten = false);
    void finish(float multiplier16bit);
    // Instead of begin and finish: the frame's one pass draws the host's order itself, into the
    // output the read-back reads.
    void beginOutput();
    // Whether a pass may work out the layer's store and the conversion itself (see
    // DownloadPass::layerIsArithmetic).
    bool layerIsArithmetic();
    void release();
    // What `release` does, without a GL call: for a set-down with no context to call into.
    // The objects go with the contexts destroyed next.
    void abandon();

    // A float texture of four channels, or of two (red and green, sampled nearest) or one (red)
    // where only they are used.
    Texture createTexture(const Vec2d& size, int channels = 4);
    // One unsigned 32-bit integer a texel, sampled nearest: the flood's packed seeds.
    Texture createSeedTexture(const Vec2d& size);
    // A one-dimensional float texture of four channels, `width` texels, filtered linearly.
    Texture createLineTexture(std::int32_t width);
    void beginRenderToTexture(gl::GLuint texture, const Vec2d& size, std::int32_t level);
    // The same into a one-dimensional texture.
    void beginRenderToLine(gl::GLuint texture, std::int32_t width);
    void endRenderToTexture();

    void pushLayer(bool multisampled = true, bool cleared = true);
    // The top layer, resolved, as an 8-bit texture now owned by the caller; none when empty.
    Texture popLayerToTexture();
    void deleteBuffers();
    // Drops every layer left by a frame that failed before its finish.
    void discardLayers();
    // Ends a frame in the current context: drops any layer left and detaches everything from
    // that context's framebuffers (framebuffer 0 stays bound).
    void endFrame();

    // The current context's framebuffers (0 before the first resize in that context).
    gl::GLuint mainFramebuffer();
    gl::GLuint resolveFramebuffer();
    gl::GLuint multisampleFramebuffer();
    gl::GLuint outputRenderbuffer() const { return outputRenderbuffer_.get(); }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::vector<gl::GLuint> layers() const;
    bool hasDownloadPass() const { return downloadPass_ != nullptr; }
    // The layer's four-channel texture, kept while frames keep their size (dropped with the
    // buffers).
    Texture& layerInput() { return layerInput_; }
    // Times the frame's stages where the host asks for it; every pass marks its stage.
    StageClock& clock() { return clock_; }
    // 8 samples, or fewer where the driver allows fewer.
    static gl::GLsizei layerSamples();

private:
    struct Framebuffers {
        Framebuffer main;
        Framebuffer resolve;
        Framebuffer multisample;
        // A pass into a texture (the distance field, the blur).
        Framebuffer toTexture;
        void abandon() {
            main.abandon();
            resolve.abandon();
            multisample.abandon();
            toTexture.abandon();
        }
    };
    // A single-sample texture or a multisampled renderbuffer.
    struct Layer {
        Texture texture;
        Renderbuffer renderbuffer;
        gl::GLuint name() const { return texture ? texture.get() : renderbuffer.get(); }
    };
    Framebuffers& framebuffers();
    bool allocationFails() const;
    void attachTopLayer();
    // Binds the output renderbuffer's framebuffer for a pass that writes the host's order.
    void bindOutput();
    // Storage for the renderbuffer bound to GL_RENDERBUFFER; `samples` 0 for single-sample.
    void allocateStorage(gl::GLsizei samples);

    RenderOptions options_;
    StageClock clock_;
    Texture layerInput_;
    PerContext<Framebuffers> framebuffers_;
    Renderbuffer outputRenderbuffer_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<Layer> layers_;
    std::unique_ptr<DownloadPass> downloadPass_ = std::make_unique<DownloadPass>();
};

} // namespace Neon
} // namespace Kelvane
