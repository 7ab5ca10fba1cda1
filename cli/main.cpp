// zarvo-neon: the effect without After Effects. Loads the module through the headless host.

#include "ControlValues.h"
#include "DrawbotHost.h"
#include "EffectHost.h"
#include "ImageFiles.h"
#include "ParamListing.h"
#include "Sample.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <memory>

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
};

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
    host.send(PF_Cmd_GLOBAL_SETDOWN);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: rendering failed (error " << err << ")";
        if (host.outData().return_msg[0] != '\0') {
            std::cerr << ": " << host.outData().return_msg;
        }
        std::cerr << "\n";
        return 1;
    }
    zarvo::writeImage(options.output, output.toRgba());
    return 0;
}

struct HeaderOptions {
    std::string output;
    int width = 200;
    std::string background = "#202020";
};

int runHeader(const std::string& modulePath, const HeaderOptions& options) {
    unsigned r = 0, g = 0, b = 0;
    char extra = 0;
    if (options.background.size() != 7 ||
        std::sscanf(options.background.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &extra) != 3) {
        std::cerr << "zarvo-neon header: --background needs a colour as #RRGGBB\n";
        return 2;
    }
    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    constexpr int kStripHeight = 50;
    aehost::DrawbotHost drawbot(host.suites(), options.width, kStripHeight);
    // The host's panel colour has 16 bits a channel.
    drawbot.setBackground(PF_App_Color{A_u_short(r * 257), A_u_short(g * 257), A_u_short(b * 257)});

    PF_EventExtra event{};
    event.contextH = drawbot.context(PF_Window_EFFECT);
    event.e_type = PF_Event_DRAW;
    event.effect_win.index = 1;
    event.effect_win.area = PF_EA_CONTROL;
    event.effect_win.current_frame = PF_Rect{0, 0, options.width, kStripHeight};
    const PF_Err err = host.send(PF_Cmd_EVENT, nullptr, nullptr, &event);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: drawing the header failed (error " << err << ")\n";
        return 1;
    }
    if (!drawbot.writePng(options.output)) {
        std::cerr << "zarvo-neon: cannot write " << options.output << "\n";
        return 1;
    }
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
    HeaderOptions headerOptions;
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
    render->add_option("-o,--output", renderOptions.output, "Image file to write (PNG, TIFF, ...)")
        ->required();
    render->add_option("--set", renderOptions.controls,
                       "Set a control, NAME=VALUE as `params` lists it, e.g. \"Stroke Count=5\", "
                       "\"Neon Type=Inner Neon\", \"Color 1=#FF00AA\", \"Glow Opacity=45\"");
    render
        ->add_option("--downsample", renderOptions.downsample,
                     "Host downsampling: distances are divided by this factor")
        ->check(CLI::Range(1, 16));

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
            return runHeader(modulePath, headerOptions);
        }
    } catch (const std::exception& e) {
        std::cerr << "zarvo-neon: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
