#include "effect/gl/RenderTarget.h"

#include "effect/gl/TextureParameters.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

constexpr GLsizei kWantedSamples = 8;

// A texture of the given size and internal format, cleared to zero bytes, or left unfilled
// where the caller overwrites every texel at once.
GLuint newTexture(GLint internalFormat, GLsizei width, GLsizei height, std::size_t zeroBytes,
                  GLenum filter = GL_LINEAR, GLenum format = GL_RGBA) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    setClampedSampling(filter);
    std::vector<unsigned char> zeros(zeroBytes, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                 zeroBytes > 0 ? zeros.data() : nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

} // namespace

RenderTarget::RenderTarget(RenderOptions options) : options_(std::move(options)) {}

GLsizei RenderTarget::layerSamples() {
    // An incomplete multisample framebuffer would draw nothing; ask for no more than allowed.
    GLint allowed = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &allowed);
    return std::max<GLsizei>(1, std::min<GLsizei>(kWantedSamples, allowed));
}

RenderTarget::Framebuffers& RenderTarget::framebuffers() {
    if (Framebuffers* existing = framebuffers_.current()) {
        return *existing;
    }
    GLuint names[4] = {};
    glGenFramebuffers(4, names);
    Framebuffers& made = framebuffers_.currentOrNew();
    made.main.reset(names[0]);
    made.resolve.reset(names[1]);
    made.multisample.reset(names[2]);
    made.toTexture.reset(names[3]);
    return made;
}

GLuint RenderTarget::mainFramebuffer() {
    Framebuffers* f = framebuffers_.current();
    return f ? f->main.get() : 0;
}

GLuint RenderTarget::resolveFramebuffer() {
    Framebuffers* f = framebuffers_.current();
    return f ? f->resolve.get() : 0;
}

GLuint RenderTarget::multisampleFramebuffer() {
    Framebuffers* f = framebuffers_.current();
    return f ? f->multisample.get() : 0;
}

void RenderTarget::resize(std::int32_t width, std::int32_t height) {
    if (width == width_ && height == height_ && outputRenderbuffer_) {
        return;
    }
    deleteBuffers();
    width_ = width;
    height_ = height;
    framebuffers();
    GLuint output = 0;
    glGenRenderbuffers(1, &output);
    outputRenderbuffer_.reset(output);
    glBindRenderbuffer(GL_RENDERBUFFER, output);
    allocateStorage(0);
}

bool RenderTarget::allocationFails() const {
    return options_.skipAllocation && options_.skipAllocation();
}

void RenderTarget::allocateStorage(GLsizei samples) {
    if (allocationFails()) {
        return;
    }
    if (samples == 0) {
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA, width_, height_);
    } else {
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA, width_, height_);
    }
}

void RenderTarget::deleteBuffers() {
    framebuffers_.eraseCurrent();
    outputRenderbuffer_.reset();
    layerInput_.reset();
    discardLayers();
}

void RenderTarget::discardLayers() {
    layers_.clear();
}

std::vector<GLuint> RenderTarget::layers() const {
    std::vector<GLuint> names;
    for (const Layer& layer : layers_) {
        names.push_back(layer.name());
    }
    return names;
}

void RenderTarget::endFrame() {
    // A frame that failed on the way leaves its queries unread.
    clock_.stop();
    discardLayers();
    // A framebuffer of another context would keep deleted storage alive until that context
    // drew again; so between frames none holds anything.
    if (const Framebuffers* f = framebuffers_.current()) {
        for (const Framebuffer* framebuffer : {&f->main, &f->resolve, &f->multisample}) {
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer->get());
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void RenderTarget::begin(bool multisampled, bool overwritten) {
    glDisable(GL_BLEND);
    glEnable(GL_MULTISAMPLE);
    pushLayer(multisampled, !overwritten || options_.passesAsWritten);
    // After the layer's framebuffer is bound: the default framebuffer of a context's first
    // frame has no colour attachment to draw to.
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width_, height_);
}

void RenderTarget::pushLayer(bool multisampled, bool cleared) {
    Layer layer;
    GLuint name = 0;
    if (multisampled) {
        glGenRenderbuffers(1, &name);
        layer.renderbuffer.reset(name);
        glBindRenderbuffer(GL_RENDERBUFFER, name);
        allocateStorage(layerSamples());
    } else {
        // Drawn straight into the texture that is handed on: no resolve. Bound before its
        // storage, so that a skipped allocation still leaves a texture object, which leaves
        // the framebuffer incomplete as a failed allocation does.
        glGenTextures(1, &name);
        layer.texture.reset(name);
        glBindTexture(GL_TEXTURE_2D, name);
        // Read by the conversion alone, texel by texel.
        setClampedSampling(GL_NEAREST);
        if (!allocationFails()) {
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA), width_, height_, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    layers_.push_back(std::move(layer));
    attachTopLayer();
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::printf("framebuffer incomplete:%d",
                    static_cast<int>(framebuffers().multisample.get()));
    }
    if (cleared) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
}

void RenderTarget::attachTopLayer() {
    const Layer& top = layers_.back();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers().multisample.get());
    if (top.texture) {
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               top.texture.get(), 0);
    } else {
        const GLuint renderbuffer = top.renderbuffer.get();
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  renderbuffer);
    }
}

Texture RenderTarget::popLayerToTexture() {
    if (layers_.empty()) {
        return Texture();
    }
    Layer top = std::move(layers_.back());
    layers_.pop_back();
    const Framebuffers& f = framebuffers();
    Texture texture;
    if (top.texture) {
        texture = std::move(top.texture);
        // Handed on as it is; the caller deletes it, which would not detach it from an
        // unbound framebuffer.
        glBindFramebuffer(GL_FRAMEBUFFER, f.multisample.get());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    } else {
        // The blit below writes every texel, so the texture is not zero-filled first.
        texture.reset(newTexture(static_cast<GLint>(GL_RGBA), width_, height_, 0, GL_NEAREST));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, f.multisample.get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, f.resolve.get());
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               texture.get(), 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        top.renderbuffer.reset();
    }
    if (!layers_.empty()) {
        attachTopLayer();
    }
    return texture;
}

void RenderTarget::finish(float multiplier16bit) {
    const bool resolves = !layers_.empty() && !layers_.back().texture;
    const Texture texture = popLayerToTexture();
    if (!texture) {
        return;
    }
    if (resolves) {
        clock_.mark("resolve");
    }
    bindOutput();
    // The conversion writes every pixel: clearing first changes nothing.
    if (options_.passesAsWritten) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Made again after a global set-down released it.
    if (!downloadPass_) {
        downloadPass_ = std::make_unique<DownloadPass>();
    }
    downloadPass_->draw(texture.get(), multiplier16bit);
    clock_.mark("conversion");
}

void RenderTarget::bindOutput() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers().main.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              outputRenderbuffer_.get());
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
}

void RenderTarget::beginOutput() {
    bindOutput();
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width_, height_);
}

bool RenderTarget::layerIsArithmetic() {
    if (!downloadPass_) {
        downloadPass_ = std::make_unique<DownloadPass>();
    }
    return downloadPass_->layerIsArithmetic();
}

void RenderTarget::release() {
    clock_.stop();
    deleteBuffers();
    // The other contexts' framebuffers go with their contexts, which set-down deletes next.
    framebuffers_.clear();
    width_ = height_ = 0;
    if (downloadPass_) {
        downloadPass_->release();
        downloadPass_.reset();
    }
}

void RenderTarget::abandon() {
    clock_.abandon();
    framebuffers_.clear();
    outputRenderbuffer_.abandon();
    layerInput_.abandon();
    for (Layer& layer : layers_) {
        layer.texture.abandon();
        layer.renderbuffer.abandon();
    }
    layers_.clear();
    width_ = height_ = 0;
    if (downloadPass_) {
        downloadPass_->abandon();
        downloadPass_.reset();
    }
}

Texture RenderTarget::createTexture(const Vec2d& size, int channels) {
    // Every texel is drawn before it is read, so the zeros are only for the written passes.
    const double bytes = options_.passesAsWritten ? size.x * size.y * 4.0 : 0.0;
    // Two channels hold coordinates, read texel by texel: sampled nearest. One holds a value
    // read through linear filtering, as the red channel of four would be.
    const bool coordinates = channels == 2;
    const GLenum format = channels == 1 ? GL_R32F : coordinates ? GL_RG32F : GL_RGBA32F;
    return Texture(newTexture(static_cast<GLint>(format), static_cast<GLsizei>(size.x),
                              static_cast<GLsizei>(size.y), static_cast<std::size_t>(bytes),
                              coordinates ? GL_NEAREST : GL_LINEAR));
}

Texture RenderTarget::createSeedTexture(const Vec2d& size) {
    // Integer texels are sampled nearest (a filter would leave the texture incomplete), and
    // every one is drawn before it is read.
    return Texture(newTexture(static_cast<GLint>(GL_R32UI), static_cast<GLsizei>(size.x),
                              static_cast<GLsizei>(size.y), 0, GL_NEAREST, GL_RED_INTEGER));
}

void RenderTarget::beginRenderToTexture(GLuint texture, const Vec2d& size, std::int32_t level) {
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers().toTexture.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
    // Every pass into a texture draws one quad over all of it: clearing first changes nothing.
    if (options_.passesAsWritten) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glViewport(0, 0, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y));
}

Texture RenderTarget::createLineTexture(std::int32_t width) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_1D, texture);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexImage1D(GL_TEXTURE_1D, 0, static_cast<GLint>(GL_RGBA32F), width, 0, GL_RGBA, GL_FLOAT,
                 nullptr);
    glBindTexture(GL_TEXTURE_1D, 0);
    return Texture(texture);
}

void RenderTarget::beginRenderToLine(GLuint texture, std::int32_t width) {
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers().toTexture.get());
    glFramebufferTexture1D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_1D, texture, 0);
    glViewport(0, 0, width, 1);
}

void RenderTarget::endRenderToTexture() {
    // Detached, so that the texture's owner may delete it (whatever its kind: name 0).
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!layers_.empty()) {
        attachTopLayer();
        const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &drawBuffer);
        glViewport(0, 0, width_, height_);
    }
}

} // namespace Neon
} // namespace Kelvane
