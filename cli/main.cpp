// zarvo-neon: the effect without After Effects. Loads the module through the headless host.

#include "ControlValues.h"
#include "EffectHost.h"
#include "HeaderCommand.h"
#include "ImageFiles.h"
#include "ParamListing.h"
#include "Sample.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <thread>

namespace {

std::unique_ptr<aehost::EffectModule> loadModule(const std::string& path) {
    return std::make_unique<aehost::EffectModule>(
        path.empty() ? aehost::EffectModule::besideProgram() : path);
}

int runAbout(const std::string& modulePath) {
    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    const auto message = host.about();
    if (!message) {
        std::cerr << "zarvo-neon: the effect refused the About command\n";
        return 1;
    }
    std::cout << zarvo::aboutText(*message);
    return 0;
}

int runParams(const std::string& modulePath) {
    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    const PF_Err err = host.send(PF_Cmd_PARAMS_SETUP);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: parameter set-up failed with error " << err << "\n";
        return 1;
    }
    std::cout << module->name() << " (" << module->category() << ")\n"
              << zarvo::paramListing(host.declared());
    return 0;
}

struct RenderOptions {
    std::string input;
    bool sample = false;
    std::string output;
    std::vector<std::string> controls;
    int downsample = 1;
    int threads = 0;
};

// Renders the frame again on `threads` new threads, one after another, as a host's render
// threads do (each gets an OpenGL context of its own); every frame must equal `expected`.
PF_Err renderOnThreads(aehost::EffectHost& host, aehost::World& input, int threads,
                       const aehost::RgbaImage& expected) {
    for (int i = 0; i < threads; ++i) {
        aehost::World output(expected.width, expected.height);
        PF_Err err = PF_Err_NONE;
        std::thread([&] { err = host.render(input.world(), output.world()); }).join();
        if (err != PF_Err_NONE) {
            return err;
        }
        if (output.toRgba().pixels != expected.pixels) {
            std::cerr << "zarvo-neon: the frame rendered on extra thread " << i + 1
                      << " differs from the first\n";
            return PF_Err_INTERNAL_STRUCT_DAMAGED;
        }
    }
    return PF_Err_NONE;
}

int runRender(const std::string& modulePath, const RenderOptions& options) {
    if (options.sample == !options.input.empty()) {
        std::cerr << "zarvo-neon render: give either --sample or --input FILE\n";
        return 2;
    }
    const aehost::RgbaImage layer =
        options.sample ? zarvo::sampleLayer() : zarvo::readImage(options.input);

    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    PF_Err err = host.send(PF_Cmd_GLOBAL_SETUP);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: the effect could not start: " << host.outData().return_msg
                  << " (error " << err << ")\n";
        return 1;
    }
    err = host.paramsSetup();
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: parameter set-up failed with error " << err << "\n";
        return 1;
    }
    for (const std::string& assignment : options.controls) {
        zarvo::applyControl(assignment, host.declared(), host.streams());
    }
    host.inData().downsample_x = {1, A_u_long(options.downsample)};
    host.inData().downsample_y = {1, A_u_long(options.downsample)};

    aehost::World input(layer.width, layer.height);
    input.fromRgba(layer);
    aehost::World output(layer.width, layer.height);
    host.outData().return_msg[0] = '\0';
    err = host.render(input.world(), output.world());
    const aehost::RgbaImage frame = output.toRgba();
    if (err == PF_Err_NONE) {
        err = renderOnThreads(host, input, options.threads, frame);
    }
    host.send(PF_Cmd_GLOBAL_SETDOWN);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: rendering failed (error " << err << ")";
        if (host.outData().return_msg[0] != '\0') {
            std::cerr << ": " << host.outData().return_msg;
        }
        std::cerr << "\n";
        return 1;
    }
    zarvo::writeImage(options.output, frame);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"zarvo-neon: neon outline strokes along a layer's alpha, rendered through the "
                 "Zarvo Neon effect module."};
    app.require_subcommand(1);
    std::string modulePath;
    const auto addModuleOption = [&modulePath](CLI::App* command) {
        command->add_option("--module", modulePath,
                            "Effect module to load (default: ZarvoNeon.aex beside this program)");
    };
    addModuleOption(&app);

    auto* about = app.add_subcommand("about", "Print the effect's About text");
    auto* params =
        app.add_subcommand("params", "List the effect's controls as the host shows them");
    auto* render = app.add_subcommand(
        "render", "Render the effect over an image (or the built-in sample) into an image file");
    addModuleOption(about);
    addModuleOption(params);
    auto* header = app.add_subcommand(
        "header",
        "Draw the effect's header strip, as the Effect Controls panel shows it, to a PNG");
    addModuleOption(render);
    addModuleOption(header);
    zarvo::HeaderOptions headerOptions;
    header->add_option("-o,--output", headerOptions.output, "PNG file to write")->required();
    header->add_option("--width", headerOptions.width, "Width of the panel (the strip is 50 high)")
        ->check(CLI::Range(200, 4000));
    header->add_option("--background", headerOptions.background,
                       "The panel's background colour, #RRGGBB (default #202020)");

    RenderOptions renderOptions;
    render->add_flag("--sample", renderOptions.sample,
                     "Use the built-in sample layer (white shapes on transparency)");
    render
        ->add_option("-i,--input", renderOptions.input,
                     "Layer image; its alpha is the edge the neon follows")
        ->check(CLI::ExistingFile);
    render
        ->add_option("-o,--output", renderOptions.output,
                     "Image file to write (PNG, TIFF, PAM, ...)")
        ->required();
    render->add_option("--set", renderOptions.controls,
                       "Set a control, NAME=VALUE as `params` lists it, e.g. \"Stroke Count=5\", "
                       "\"Neon Type=Inner Neon\", \"Color 1=#FF00AA\", \"Glow Opacity=45\"");
    render
        ->add_option("--downsample", renderOptions.downsample,
                     "Host downsampling: distances are divided by this factor")
        ->check(CLI::Range(1, 16));
    render
        ->add_option("--threads", renderOptions.threads,
                     "Also render the frame on this many extra threads, one after another, as a "
                     "host's render threads do; every frame must equal the first")
        ->check(CLI::Range(0, 64));

    CLI11_PARSE(app, argc, argv);
    try {
        if (about->parsed()) {
            return runAbout(modulePath);
        }
        if (params->parsed()) {
            return runParams(modulePath);
        }
        if (render->parsed()) {
            return runRender(modulePath, renderOptions);
        }
        if (header->parsed()) {
            return zarvo::runHeader(modulePath, headerOptions);
        }
    } catch (const std::exception& e) {
        std::cerr << "zarvo-neon: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
