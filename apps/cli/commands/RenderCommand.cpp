#include "apps/cli/commands/RenderCommand.h"

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/host/EffectHost.h"
#include "apps/cli/commands/Extend.h"
#include "standins/aehost/host/HostGLContext.h"
#include "apps/cli/commands/FrameRate.h"
#include "apps/cli/commands/FrameSequence.h"
#include "apps/cli/images/ImageFiles.h"
#include "apps/cli/commands/Keyframes.h"
#include "apps/cli/commands/Progress.h"
#include "apps/cli/commands/Resample.h"
#include "apps/cli/commands/Sample.h"
#include "apps/cli/commands/Terminal.h"
#include "apps/cli/commands/Timings.h"
#include "apps/cli/commands/UsageError.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <thread>

namespace Kelvane::Neon::Apps {
namespace {

// The module's own message, then what the host caught it doing.
std::string why(Kelvane::Neon::Host::EffectHost& host) {
    std::string text;
    if (host.outData().return_msg[0] != '\0') {
        text += std::string(": ") + host.outData().return_msg;
    }
    for (const std::string& fault : host.faults()) {
        text += (text.empty() ? ": " : "; ") + fault;
    }
    return text;
}

// Global set-up and set-down of the module around a run, whichever way the run ends.
class EffectSession {
public:
    explicit EffectSession(const std::string& modulePath)
        : module_(modulePath.empty() ? Kelvane::Neon::Host::EffectModule::findDefault()
                                     : modulePath),
          host_(module_) {}
    ~EffectSession() {
        if (started_) {
            host_.send(PF_Cmd_GLOBAL_SETDOWN);
        }
    }
    EffectSession(const EffectSession&) = delete;
    EffectSession& operator=(const EffectSession&) = delete;

    // Global and parameter set-up; false after telling the user why.
    bool start() {
        PF_Err err = host_.send(PF_Cmd_GLOBAL_SETUP);
        if (err != PF_Err_NONE) {
            std::cerr << "zarvo-neon: the effect could not start (error " << err << ")"
                      << why(host_) << "\n";
            return false;
        }
        started_ = true;
        err = host_.paramsSetup();
        if (err != PF_Err_NONE) {
            std::cerr << "zarvo-neon: parameter set-up failed with error " << err << why(host_)
                      << "\n";
            return false;
        }
        return true;
    }
    Kelvane::Neon::Host::EffectHost& host() { return host_; }

private:
    Kelvane::Neon::Host::EffectModule module_;
    Kelvane::Neon::Host::EffectHost host_;
    bool started_ = false;
};

std::string renderFailure(Kelvane::Neon::Host::EffectHost& host, PF_Err err) {
    return "rendering failed (error " + std::to_string(err) + ")" + why(host);
}

// The layer the host hands the effect: `source` scaled and bordered where asked, in the host's
// own form. Taken whole, so that no copy of a frame (33 MB at 4K) is made where none is asked
// for. At every factor the colour under zero alpha is cleared, as the area filter clears it.
std::unique_ptr<Kelvane::Neon::Host::World> hostLayer(Kelvane::Neon::Host::RgbaImage source,
                                                      int factor, int border) {
    if (factor > 1) {
        source = downsample(source, factor);
    } else {
        clearColourUnderTransparency(source);
    }
    if (border > 0) {
        source = extendCanvas(source, border);
    }
    auto layer = std::make_unique<Kelvane::Neon::Host::World>(source.width, source.height);
    layer->fromRgba(source);
    return layer;
}

// Renders `input` at `time`, then again on `threads` new threads, one after another, as a
// host's render threads do (each gets an OpenGL context of its own): every frame must equal
// the first. Throws std::runtime_error saying why a frame failed.
Kelvane::Neon::Host::RgbaImage renderFrame(Kelvane::Neon::Host::EffectHost& host,
                                           Kelvane::Neon::Host::World& input,
                                           const Kelvane::Neon::Host::FrameTime& time, int threads,
                                           double* renderMilliseconds = nullptr) {
    Kelvane::Neon::Host::World output(input.width(), input.height());
    host.outData().return_msg[0] = '\0';
    const auto started = std::chrono::steady_clock::now();
    const PF_Err err = host.render(input.world(), output.world(), time);
    if (renderMilliseconds != nullptr) {
        *renderMilliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
    }
    if (err != PF_Err_NONE) {
        throw std::runtime_error(renderFailure(host, err));
    }
    Kelvane::Neon::Host::RgbaImage frame = output.toRgba();
    for (int i = 0; i < threads; ++i) {
        Kelvane::Neon::Host::World again(input.width(), input.height());
        PF_Err threadErr = PF_Err_NONE;
        std::thread([&] { threadErr = host.render(input.world(), again.world()); }).join();
        if (threadErr != PF_Err_NONE) {
            throw std::runtime_error(renderFailure(host, threadErr));
        }
        if (again.toRgba().pixels != frame.pixels) {
            throw std::runtime_error("the frame rendered on extra thread " + std::to_string(i + 1) +
                                     " differs from the first");
        }
    }
    return frame;
}

// The folder the output goes to must be there before any work is done (a long range would
// otherwise be measured and rendered for nothing).
void requireOutputFolder(const FramePattern& out) {
    std::filesystem::path folder = std::filesystem::path(out.nameOf(0)).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw UsageError("cannot write " + out.text() + ": the folder " + folder.string() +
                         " does not exist");
    }
}

// The largest frame side: a layer's limit, and the GPU's where it says (a context of the
// host's own asks it before the module makes any).
int frameSideLimit() {
    int limit = Kelvane::Neon::Host::kMaxLayerSide;
    try {
        const int gpu = Kelvane::Neon::Host::HostGLContext().frameLimit();
        if (gpu > 0) {
            limit = std::min(limit, gpu);
        }
    } catch (const std::exception&) {
        // No context here: the module will say what it can render.
    }
    return limit;
}

// Refuses a frame that would be larger than `limit` before anything of its size is made.
void requireFrameSize(int layerWidth, int layerHeight, int downsample, int border, int limit) {
    const auto [width, height] = frameSize(layerWidth, layerHeight, downsample, border);
    if (width > limit || height > limit) {
        std::string how =
            "the " + std::to_string(layerWidth) + " x " + std::to_string(layerHeight) + " layer";
        how += downsample > 1 ? " at 1/" + std::to_string(downsample) : "";
        how += border > 0 ? " with a " + std::to_string(border) + "-pixel border" : "";
        throw std::runtime_error("the frame would be " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels (" + how + "), and at most " +
                                 std::to_string(limit) + " x " + std::to_string(limit) +
                                 " can be rendered here");
    }
}

// The frames to render: as given, else the input sequence's frames on disk, else one still.
FrameRange chooseFrames(const RenderOptions& options, const FramePattern& in,
                        const FramePattern& out) {
    FrameRange range;
    if (options.frames) {
        range = parseFrameRange(*options.frames);
    } else if (in.isSequence()) {
        range = framesOnDisk(in);
    } else if (out.isSequence()) {
        throw UsageError("--frames A-B is needed: " + out.text() +
                         " names a sequence and the input is a still");
    }
    if (!out.isSequence() && range.count() > 1) {
        const std::string why = " needs a frame-number pattern (%04d or ####) to hold " +
                                std::to_string(range.count()) + " frames";
        throw UsageError("the output " + out.text() + why);
    }
    if (in.isSequence()) {
        requireFrames(in, range);
    }
    return range;
}

int renderFrames(const std::string& modulePath, const RenderOptions& options) {
    // Everything the user gave is checked before the first frame is written.
    const FramePattern in(options.sample ? std::string() : options.input);
    const FramePattern out(options.output);
    requireOutputFolder(out);
    const FrameRate rate = parseFrameRate(options.fps);
    const Extension extension =
        options.extend.empty() ? Extension{} : parseExtension(options.extend);
    const FrameRange range = chooseFrames(options, in, out);
    frameTime(rate, range.last); // throws for a range that runs off the host's clock
    // A still layer is read once and used for every frame: its header now, so that a file that
    // cannot be read is refused before the effect starts, its pixels once its frame is known to
    // fit.
    Kelvane::Neon::Host::RgbaImage still =
        options.sample ? sampleLayer() : Kelvane::Neon::Host::RgbaImage{};
    const ImageSize stillSize = options.sample || in.isSequence()
                                    ? ImageSize{still.width, still.height}
                                    : readImageSize(options.input);

    const int sideLimit = frameSideLimit();
    EffectSession session(modulePath);
    if (!session.start()) {
        return 1;
    }
    Kelvane::Neon::Host::EffectHost& host = session.host();
    if (options.timings) {
        host.collectTimings();
    }
    std::vector<PF_ParamIndex> setControls;
    for (const std::string& assignment : options.controls) {
        setControls.push_back(applyControl(assignment, host.declared(), host.streams()));
    }
    applyKeys(options.keys, setControls, host.declared(), host.streams(), rate);
    host.inData().downsample_x = {1, A_u_long(options.downsample)};
    host.inData().downsample_y = {1, A_u_long(options.downsample)};
    const bool sequence = out.isSequence();
    // The timings' lines take the progress bar's place.
    const bool showProgress =
        sequence && !options.quiet && !options.timings && standardErrorIsTerminal();
    int border = 0;
    {
        Progress reach(std::cerr, range.count(), showProgress, "measuring the neon's reach ");
        border = borderPixels(extension, host.streams(), host.declared(), range, rate,
                              options.downsample, [&reach] { reach.frameDone(); });
    }
    if (!in.isSequence()) {
        requireFrameSize(stillSize.width, stillSize.height, options.downsample, border, sideLimit);
        if (!options.sample) {
            still = readImage(options.input);
        }
    }

    Progress progress(std::cerr, range.count(), showProgress);
    std::unique_ptr<Kelvane::Neon::Host::World> stillLayer;
    for (int frame = range.first; frame <= range.last; ++frame) {
        try {
            // A still was measured before the loop; each frame of a sequence has its own size,
            // measured from its header before its pixels are decoded.
            if (in.isSequence()) {
                const ImageSize size = readImageSize(in.nameOf(frame));
                requireFrameSize(size.width, size.height, options.downsample, border, sideLimit);
            }
            Kelvane::Neon::Host::RgbaImage read =
                in.isSequence() ? readImage(in.nameOf(frame)) : Kelvane::Neon::Host::RgbaImage{};
            const int sourceWidth = in.isSequence() ? read.width : stillSize.width;
            const int sourceHeight = in.isSequence() ? read.height : stillSize.height;
            try {
                // A still goes to the host's form once, for every frame, and its pixels go.
                std::unique_ptr<Kelvane::Neon::Host::World> frameLayer;
                Kelvane::Neon::Host::World* layer = stillLayer.get();
                if (in.isSequence()) {
                    frameLayer = hostLayer(std::move(read), options.downsample, border);
                    layer = frameLayer.get();
                } else if (layer == nullptr) {
                    stillLayer = hostLayer(std::move(still), options.downsample, border);
                    layer = stillLayer.get();
                }
                double wall = 0.0;
                writeImage(out.nameOf(frame), renderFrame(host, *layer, frameTime(rate, frame),
                                                          options.threads, &wall));
                if (options.timings) {
                    std::cerr << formatTimings("frame " + std::to_string(frame), layer->width(),
                                               layer->height(), host.frameTimings(), wall);
                }
            } catch (const std::bad_alloc&) {
                const auto [width, height] =
                    frameSize(sourceWidth, sourceHeight, options.downsample, border);
                throw std::runtime_error("not enough memory for a " + std::to_string(width) +
                                         " x " + std::to_string(height) + " frame (about " +
                                         std::to_string(width * height * 4 * 4 / (1024 * 1024)) +
                                         " MB for its layer, canvas and output)");
            }
        } catch (const std::exception& e) {
            progress.finish();
            std::cerr << "zarvo-neon: "
                      << (sequence
                              ? "frame " + std::to_string(frame) + " (" + out.nameOf(frame) + "): "
                              : std::string())
                      << e.what() << "\n";
            return 1;
        }
        progress.frameDone();
    }
    return 0;
}

} // namespace

int runRender(const std::string& modulePath, const RenderOptions& options) {
    if (options.sample == !options.input.empty()) {
        std::cerr << "zarvo-neon render: give either --sample or --input FILE\n";
        return 2;
    }
    // An interrupted run leaves no temporary file of the frame in flight behind.
    installInterruptCleanup();
    // The module's diagnostics go to standard error (nowhere with --quiet), never into what
    // a script reads from the command's standard output.
    ModuleOutputAside aside(options.quiet);
    try {
        return renderFrames(modulePath, options);
    } catch (const std::bad_alloc&) {
        std::cerr << "zarvo-neon: not enough memory for the layer as read\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zarvo-neon: " << e.what() << "\n";
        return 1;
    }
}

} // namespace Kelvane::Neon::Apps
