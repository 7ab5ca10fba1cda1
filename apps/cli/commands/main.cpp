// zarvo-neon: the effect without After Effects. Loads the module through the headless host.

#include "apps/cli/images/AtomicFile.h"
#include "apps/cli/commands/Completion.h"
#include "apps/cli/commands/ControlValues.h"
#include "standins/aehost/host/EffectHost.h"
#include "apps/cli/commands/HeaderCommand.h"
#include "apps/cli/images/ImageFiles.h"
#include "apps/cli/commands/ParamListing.h"
#include "apps/cli/commands/RenderCommand.h"
#include "apps/cli/commands/Sample.h"

#include "effect/controls/Controls.h"
#include "effect/controls/EffectInfo.h"

#include <CLI/CLI.hpp>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <iostream>
#include <memory>

namespace {

std::unique_ptr<Kelvane::Neon::Host::EffectModule> loadModule(const std::string& path) {
    return std::make_unique<Kelvane::Neon::Host::EffectModule>(
        path.empty() ? Kelvane::Neon::Host::EffectModule::findDefault() : path);
}

int runAbout(const std::string& modulePath) {
    auto module = loadModule(modulePath);
    Kelvane::Neon::Host::EffectHost host(*module);
    const auto message = host.about();
    if (!message) {
        std::cerr << "zarvo-neon: the effect refused the About command\n";
        return 1;
    }
    std::cout << Kelvane::Neon::Apps::aboutText(*message);
    return 0;
}

// Every control; with `controls` set, the panel as it then looks, hidden controls left out.
int runParams(const std::string& modulePath, const std::vector<std::string>& controls) {
    auto module = loadModule(modulePath);
    Kelvane::Neon::Host::EffectHost host(*module);
    PF_Err err = host.paramsSetup();
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: parameter set-up failed with error " << err << "\n";
        return 1;
    }
    std::cout << module->name() << " (" << module->category() << ")\n";
    if (controls.empty()) {
        std::cout << Kelvane::Neon::Apps::paramListing(host.declared());
        return 0;
    }
    for (const std::string& assignment : controls) {
        Kelvane::Neon::Apps::applyControl(assignment, host.declared(), host.streams());
    }
    err = host.updateParamsUI();
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: the effect could not update its controls (error " << err << ")\n";
        return 1;
    }
    std::cout << Kelvane::Neon::Apps::panelListing(host.declared(), host.streams());
    return 0;
}

void addRenderOptions(CLI::App* render, Kelvane::Neon::Apps::RenderOptions& options) {
    render->add_flag("--sample", options.sample,
                     "Use the built-in sample layer (white shapes on transparency)");
    render
        ->add_option("-i,--input", options.input,
                     "Layer image, or an image sequence named with %04d or ####; its alpha is "
                     "the edge the neon follows. A still is used for every frame")
        ->type_name(Kelvane::Neon::Apps::kFileType);
    render
        ->add_option("-o,--output", options.output,
                     "Image file to write (PNG, TIFF, PAM, ...); for several frames a name with "
                     "%04d or ####, which is the frame number")
        ->required()
        ->type_name(Kelvane::Neon::Apps::kFileType);
    render
        ->add_option("--set", options.controls,
                     "Set a control, NAME=VALUE as `params` lists it, e.g. \"Stroke Count=5\", "
                     "\"Neon Type=Inner Neon\", \"Color 1=#FF00AA\", \"Glow Opacity=45\"")
        ->type_name("NAME=VALUE");
    render
        ->add_option("--key", options.keys,
                     "Keyframes of one control, \"NAME=VALUE@TIME,VALUE@TIME,...\": TIME is a "
                     "frame number, or seconds with an s suffix, e.g. \"Visibility=0@1,100@24\" "
                     "or \"Color 1=#FF0000@0s,#0000FF@1.5s\"; sliders and colours change "
                     "linearly between keys, popups hold. Repeatable, one per control")
        ->type_name("NAME=KEYS");
    render->add_option_function<std::string>(
        "--frames", [&options](const std::string& range) { options.frames = range; },
        "Frames to render, A-B with both ends included (default: the input sequence's frames, "
        "or one frame at time 0)");
    render->add_option("--fps", options.fps,
                       "Frames per second, a number or a fraction such as 30000/1001 "
                       "(default 24)");
    render
        ->add_option("--downsample", options.downsample,
                     "Render as a host does at 1/N resolution: the layer is scaled down by N "
                     "with an area filter and the output is 1/N size (rounded up)")
        ->check(CLI::Range(1, 16));
    render->add_option("--extend", options.extend,
                       "Grow the canvas by a transparent border of PIXELS (layer pixels) on "
                       "every side, or by the neon's own reach with auto, so strokes and glow "
                       "are not cut at the frame's edge (default: the layer's own size)");
    render
        ->add_option("--threads", options.threads,
                     "Also render each frame on this many extra threads, one after another, as "
                     "a host's render threads do; every frame must equal the first")
        ->check(CLI::Range(0, 64));
    render->add_flag("--timings", options.timings,
                     "After each frame, print on standard error the GPU time of each stage "
                     "(upload, seeds, jump flood, distance, blur, strokes, resolve, conversion, "
                     "read-back) and the wall time of the effect's render call");
    render->add_flag("-q,--quiet", options.quiet,
                     "No progress bar (it is shown on a terminal while a sequence renders) and "
                     "no diagnostics from the effect module (else on standard error)");
}

// The names --set and --key take: every control that holds a value.
std::vector<std::string> controlNames() {
    std::vector<std::string> names;
    for (const Kelvane::Neon::Control& control : Kelvane::Neon::kControls) {
        if (Kelvane::Neon::holdsValue(control.kind)) {
            names.emplace_back(control.name);
        }
    }
    return names;
}

} // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Frame-sized buffers (33 MB a 4K frame) are mapped and unmapped on their own: the C
    // library would otherwise raise its threshold to their size after the first is freed and
    // keep the later ones, once freed, in the heap, resident for the rest of the run.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    CLI::App app{"zarvo-neon: neon outline strokes along a layer's alpha, rendered through the "
                 "Zarvo Neon effect module."};
    app.require_subcommand(1);
    // The version this command was built with, as the module's About text says it: known
    // without loading a module, so it answers even where the module will not load.
    app.set_version_flag("--version", Kelvane::Neon::versionText(), "Print the version and exit");
    std::string modulePath;
    const auto addModuleOption = [&modulePath](CLI::App* command) {
        command
            ->add_option("--module", modulePath,
                         "Effect module to load (default: ZarvoNeon.aex beside this program, "
                         "else in ../lib/zarvo-neon/ from this program's folder)")
            ->type_name(Kelvane::Neon::Apps::kFileType);
    };
    addModuleOption(&app);

    auto* about = app.add_subcommand("about", "Print the effect's About text");
    auto* params =
        app.add_subcommand("params", "List the effect's controls as the host shows them");
    auto* render = app.add_subcommand(
        "render", "Render the effect over an image, an image sequence or the built-in sample "
                  "into image files");
    addModuleOption(about);
    addModuleOption(params);
    auto* header = app.add_subcommand(
        "header",
        "Draw the effect's header strip, as the Effect Controls panel shows it, to a PNG");
    addModuleOption(render);
    addModuleOption(header);
    Kelvane::Neon::Apps::HeaderOptions headerOptions;
    header->add_option("-o,--output", headerOptions.output, "PNG file to write")
        ->required()
        ->type_name(Kelvane::Neon::Apps::kFileType);
    header->add_option("--width", headerOptions.width, "Width of the panel (the strip is 50 high)")
        ->check(CLI::Range(200, 4000));
    header->add_option("--background", headerOptions.background,
                       "The panel's background colour, #RRGGBB (default #202020)");

    std::vector<std::string> paramsControls;
    params
        ->add_option("--set", paramsControls,
                     "Set a control, NAME=VALUE, and list the controls as the panel then shows "
                     "them, with their values and without the controls it hides")
        ->type_name("NAME=VALUE");

    auto* sample = app.add_subcommand(
        "sample", "Write the built-in sample layer, the layer `render --sample` takes (white "
                  "shapes on transparency), to an image file");
    std::string sampleOutput;
    sample
        ->add_option("-o,--output", sampleOutput,
                     "Image file to write (PNG, TIFF, PAM, ...); pass it to `render -i`")
        ->required()
        ->type_name(Kelvane::Neon::Apps::kFileType);
    int sampleSize[2] = {Kelvane::Neon::Apps::kSampleWidth, Kelvane::Neon::Apps::kSampleHeight};
    sample->add_option("--width", sampleSize[0], "Width in pixels; the shapes scale with it")
        ->check(CLI::Range(1, 16384))
        ->capture_default_str();
    sample->add_option("--height", sampleSize[1], "Height in pixels; the shapes scale with it")
        ->check(CLI::Range(1, 16384))
        ->capture_default_str();
    auto* completion = app.add_subcommand(
        "completion", "Print the bash completion script for this command's subcommands, options "
                      "and control names (source it, or install it as "
                      "/usr/share/bash-completion/completions/zarvo-neon)");

    Kelvane::Neon::Apps::RenderOptions renderOptions;
    addRenderOptions(render, renderOptions);

    CLI11_PARSE(app, argc, argv);
    try {
        if (about->parsed()) {
            return runAbout(modulePath);
        }
        if (params->parsed()) {
            return runParams(modulePath, paramsControls);
        }
        if (render->parsed()) {
            return Kelvane::Neon::Apps::runRender(modulePath, renderOptions);
        }
        if (header->parsed()) {
            return Kelvane::Neon::Apps::runHeader(modulePath, headerOptions);
        }
        if (sample->parsed()) {
            Kelvane::Neon::Apps::installInterruptCleanup();
            Kelvane::Neon::Apps::writeImage(
                sampleOutput, Kelvane::Neon::Apps::sampleLayer(sampleSize[0], sampleSize[1]));
            return 0;
        }
        if (completion->parsed()) {
            std::cout << Kelvane::Neon::Apps::bashCompletion(app, "zarvo-neon", controlNames());
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "zarvo-neon: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
