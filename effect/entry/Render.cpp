#include "effect/entry/Render.h"

#include "effect/controls/ControlReading.h"
#include "effect/controls/EffectInfo.h"
#include "effect/controls/SuiteScoper.h"
#include "effect/controls/TimingsSuite.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/FrameTransfer.h"
#include "effect/gl/RenderTarget.h"
#include "effect/gl/SavedContextGuard.h"
#include "effect/neon/NeonRenderer.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

// Whatever way a frame ends, the target drops its layers and detaches its storage.
class FrameScope {
public:
    explicit FrameScope(RenderTarget& target)
        : target_(target), exceptions_(std::uncaught_exceptions()) {}
    ~FrameScope() {
        // A frame that throws may leave storage that could not be had (the output's, made
        // before the frame's work): the next frame of its size asks for it anew.
        if (std::uncaught_exceptions() > exceptions_) {
            target_.deleteBuffers();
        }
        target_.endFrame();
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

private:
    RenderTarget& target_;
    int exceptions_;
};

// The largest frame this context can hold in a texture and a renderbuffer.
GLint frameLimit() {
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return texture < renderbuffer ? texture : renderbuffer;
}

// A lost context may report an error on every call; stop reading after this many.
constexpr int kMaxPendingErrors = 32;

// Reads every pending error of the current context. True when one says that storage could
// not be had: an allocation that failed, or drawing into a framebuffer left incomplete by one.
// Any other error is a fault of ours, reported on standard output when `reportOthers`.
bool pendingMemoryFault(bool reportOthers = true) {
    bool memory = false;
    for (int i = 0; i < kMaxPendingErrors; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) {
            break;
        }
        if (error == GL_OUT_OF_MEMORY || error == GL_INVALID_FRAMEBUFFER_OPERATION) {
            memory = true;
        } else if (reportOthers) {
            std::printf("OpenGL error 0x%04x in a frame\n", static_cast<unsigned>(error));
        }
    }
    return memory;
}

PF_Err reportError(PF_OutData* out_data, PF_Err err, const std::string& message) {
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    std::snprintf(out_data->return_msg, sizeof out_data->return_msg, "%s", message.c_str());
    return err;
}

PF_Err reportTooLarge(PF_OutData* out_data, A_long width, A_long height) {
    return reportError(out_data, PF_Err_OUT_OF_MEMORY,
                       std::string(kEffectName) + " cannot render a " + std::to_string(width) +
                           " x " + std::to_string(height) +
                           " frame: it is too large for the GPU's memory.");
}

// The host's timings suite for the length of a frame, where the host offers one (After
// Effects does not: nothing is timed there).
class TimingsReport {
public:
    explicit TimingsReport(const SPBasicSuite* basic)
        : suite_(basic, kZarvoNeonTimingsSuite, kZarvoNeonTimingsSuiteVersion1, std::nothrow) {}

    bool wanted() const { return suite_.get() != nullptr && suite_->ReportStage != nullptr; }
    void send(const std::vector<StageTime>& times) const {
        for (const StageTime& t : times) {
            suite_->ReportStage(t.stage.c_str(), t.passes, t.milliseconds);
        }
    }

private:
    const SuiteScoper<ZarvoNeonTimingsSuite1> suite_;
};

// One frame on the current context, from the input layer to the output world. The output is
// written only when the GPU held the whole frame.
PF_Err drawFrame(EffectGpu& gpu, PF_InData* in_data, PF_OutData* out_data, PF_EffectWorld& input,
                 PF_LayerDef* output) {
    const A_long width = input.width;
    const A_long height = input.height;
    float multiplier16bit = 1.0f;
    std::uint64_t bytesPerPixel = 4;
    GLenum pixelType = GL_UNSIGNED_BYTE;

    RenderTarget& target = gpu.target;
    NeonRenderer& renderer = gpu.renderer;
    FrameScope frame(target);
    const TimingsReport timings(in_data->pica_basicP);
    if (timings.wanted()) {
        target.clock().start();
    }
    readSettings(in_data, gpu.frameSettings);
    renderer.setSettings(gpu.frameSettings);
    target.resize(width, height);
    // A frame whose strokes read no colour of the layer keeps its alpha alone (100 MB less
    // than four channels at 4K), in a texture of its own that goes once the distance field is
    // made: the layer the strokes are drawn into is made after it, so the two are never held
    // together.
    const bool alphaOnly = !renderer.readsLayerColour();
    Texture alpha;
    if (alphaOnly) {
        target.layerInput().reset();
    }
    Texture& layer = alphaOnly ? alpha : target.layerInput();
    // The passes into textures draw without blending, as the layer's passes do.
    glDisable(GL_BLEND);
    uploadInto(layer, kFormatArgb8, &input, in_data, &bytesPerPixel, &pixelType, &multiplier16bit,
               alphaOnly);
    target.clock().mark("upload");
    const Vec2d frameSize{double(width), double(height)};
    renderer.prepare(layer.get(), frameSize);
    alpha.reset();
    if (renderer.drawsToHost()) {
        // One pass from the distance map to the host's order: no layer, no conversion pass.
        target.beginOutput();
        renderer.drawStrokes(layer.get(), frameSize, true);
    } else {
        // The stroke pass draws every sample of the layer.
        target.begin(renderer.layerNeedsSamples(), true);
        renderer.drawStrokes(layer.get(), frameSize);
        target.finish(multiplier16bit);
    }
    // The converted frame's framebuffer is bound; an allocation that failed left it, or a
    // layer before it, incomplete.
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (pendingMemoryFault() || !complete) {
        // What was allocated goes, so the next frame of this size asks for its storage anew.
        target.deleteBuffers();
        return reportTooLarge(out_data, width, height);
    }
    downloadTexture(width, height, &input, output, in_data, kFormatArgb8, bytesPerPixel, pixelType);
    target.clock().mark("read-back");
    if (pendingMemoryFault()) {
        target.deleteBuffers();
        return reportTooLarge(out_data, width, height);
    }
    if (target.clock().running()) {
        timings.send(target.clock().read());
    }
    return PF_Err_NONE;
}

} // namespace

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

    SavedContextGuard guard;
    AEOpenGLContext* context = ContextRegistry::contextForCurrentThread();
    if (context == nullptr) {
        throw std::bad_alloc();
    }
    context->makeCurrent();
    // Whatever the failed switch left current is not ours to draw into.
    if (wglGetCurrentContext() != context->hglrc) {
        guard.restore();
        return reportError(out_data, PF_Err_INTERNAL_STRUCT_DAMAGED,
                           std::string(kEffectName) +
                               " could not make its OpenGL context current on this thread.");
    }
    // Errors left behind by the context's creation or by an earlier frame that failed on the
    // way are not this frame's.
    pendingMemoryFault(false);

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
    const PF_Err err = drawFrame(ensureEffectGpu(), in_data, out_data, input, output);
    guard.restore();
    return err;
}

} // namespace Neon
} // namespace Kelvane
