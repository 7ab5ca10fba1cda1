#include "Render.h"

#include "EffectInfo.h"
#include "gl/ContextRegistry.h"
#include "gl/FrameTransfer.h"
#include "gl/RenderTarget.h"
#include "gl/SavedContextGuard.h"
#include "neon/NeonRenderer.h"

#include <cstdio>
#include <new>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

NeonRenderer* theRenderer = new NeonRenderer();

// The input texture lives for one frame; a failure on the way must not leak it or leave the
// frame's layer on the render target.
class FrameScope {
public:
    explicit FrameScope(RenderTarget& target) : target_(target) {}
    ~FrameScope() {
        if (texture != 0) {
            glDeleteTextures(1, &texture);
        }
        if (!finished) {
            target_.discardLayers();
        }
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

    GLuint texture = 0;
    bool finished = false;

private:
    RenderTarget& target_;
};

// The largest frame this context can hold in a texture and a renderbuffer.
GLint frameLimit() {
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return texture < renderbuffer ? texture : renderbuffer;
}

} // namespace

NeonRenderer* renderer() {
    return theRenderer;
}

void ensureRenderer() {
    if (theRenderer == nullptr) {
        theRenderer = new NeonRenderer();
    }
}

void deleteRenderer(bool hasContext) {
    if (theRenderer == nullptr) {
        return;
    }
    if (hasContext) {
        theRenderer->release();
    } else {
        theRenderer->abandon();
    }
    delete theRenderer;
    theRenderer = nullptr;
}

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output) {
    if (params == nullptr || params[0] == nullptr || output == nullptr) {
        throw A_long(PF_Err_BAD_CALLBACK_PARAM);
    }
    PF_EffectWorld& input = params[0]->u.ld;
    const A_long width = input.width;
    const A_long height = input.height;
    // An empty layer has nothing to draw.
    if (width <= 0 || height <= 0) {
        return PF_Err_NONE;
    }

    float multiplier16bit = 1.0f;
    std::uint64_t bytesPerPixel = 4;
    GLenum pixelType = GL_UNSIGNED_BYTE;

    SavedContextGuard guard;
    AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
    if (context == nullptr) {
        throw std::bad_alloc();
    }
    context->makeCurrent();

    const GLint limit = frameLimit();
    if (width > limit || height > limit) {
        out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
        std::snprintf(out_data->return_msg, sizeof out_data->return_msg,
                      "%s cannot render a %d x %d frame: this GPU handles at most %d x %d.",
                      kEffectName, static_cast<int>(width), static_cast<int>(height),
                      static_cast<int>(limit), static_cast<int>(limit));
        guard.restore();
        return PF_Err_OUT_OF_MEMORY;
    }
    ensureRenderer();

    RenderTarget& target = RenderTarget::instance();
    target.resize(width, height);
    target.begin();
    FrameScope frame(target);
    frame.texture =
        uploadTexture(kFormatArgb8, &input, in_data, &bytesPerPixel, &pixelType, &multiplier16bit);
    theRenderer->readSettings(in_data);
    theRenderer->render(frame.texture, Vec2d{double(width), double(height)});
    glDeleteTextures(1, &frame.texture);
    frame.texture = 0;
    target.finish(multiplier16bit);
    frame.finished = true;
    downloadTexture(width, height, &input, output, in_data, kFormatArgb8, bytesPerPixel, pixelType);
    guard.restore();
    return PF_Err_NONE;
}

} // namespace Neon
} // namespace Kelvane
