// The frei0r filter's parameters and its answers to bad calls, through the built plug-in.
// Nothing here calls f0r_init, so no OpenGL context is made.

#include "tests/apps/frei0r/Frei0rPlugin.h"

#include "standins/aehost/host/EffectHost.h"
#include "effect/controls/Controls.h"
#include "effect/entry/EntryPoint.h"

#include <gmock/gmock.h>

#include <cmath>
#include <sstream>

namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class Frei0rApiTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (fx != nullptr) {
            f0r.destruct(fx);
        }
    }
    f0r_param_info_t info(const std::string& name) const {
        f0r_param_info_t param{};
        f0r.paramInfo(&param, f0r.index(name));
        return param;
    }

    Frei0rPlugin f0r;
    f0r_instance_t fx = f0r.construct(64, 48);
};

TEST_F(Frei0rApiTest, AnRgbaFilterWhoseParametersAreTheControlsByTheirNames) {
    f0r_plugin_info_t plugin{};
    f0r.pluginInfo(&plugin);
    EXPECT_STREQ(plugin.name, "Zarvo Neon");
    EXPECT_EQ(plugin.plugin_type, F0R_PLUGIN_TYPE_FILTER);
    EXPECT_EQ(plugin.color_model, F0R_COLOR_MODEL_RGBA8888);
    EXPECT_EQ(plugin.frei0r_version, FREI0R_MAJOR_VERSION);
    // 33 controls less the header strip and three groups' starts and ends, then the unscaled
    // twins of the six numbers whose slider starts above 0.
    ASSERT_EQ(plugin.num_params, 32);

    Kelvane::Neon::Host::EffectHost host(&EntryPointFunc);
    ASSERT_EQ(host.paramsSetup(), PF_Err_NONE);
    std::vector<std::string> controls;
    for (const auto& p : host.declared()) {
        const auto type = p.def.param_type;
        if (type != PF_Param_NO_DATA && type != PF_Param_GROUP_START &&
            type != PF_Param_GROUP_END) {
            controls.push_back(p.def.name);
        }
    }
    for (const char* twin :
         {"Stroke Count", "End Distance", "Stroke Width", "Color Count", "Glow Size", "Smooth"}) {
        controls.push_back(std::string(twin) + " (unscaled)");
    }
    std::vector<std::string> names;
    for (int i = 0; i < plugin.num_params; ++i) {
        f0r_param_info_t param{};
        f0r.paramInfo(&param, i);
        names.push_back(param.name);
        EXPECT_NE(param.explanation, nullptr);
    }
    EXPECT_THAT(names, ElementsAreArray(controls));

    EXPECT_EQ(info("Neon Type").type, F0R_PARAM_STRING);
    EXPECT_EQ(info("Visibility").type, F0R_PARAM_DOUBLE);
    EXPECT_EQ(info("Glow Opacity").type, F0R_PARAM_DOUBLE);
    EXPECT_EQ(info("Color 8").type, F0R_PARAM_COLOR);
    EXPECT_THAT(info("Stroke Count").explanation,
                HasSubstr("0 to 1 sets 1 to 5; values beyond reach 1 to 100. Default 3 (0.5)."));
    EXPECT_THAT(info("Glow Opacity").explanation, HasSubstr("0 to 1 sets 0% to 100%. Default 30%"));
    EXPECT_THAT(
        info("Quality").explanation,
        HasSubstr("One of Extreme, High, Medium, Low (or its number, 1 to 4). Default Low."));
    EXPECT_THAT(info("Color 2").explanation, HasSubstr("Default #FF1919."));
    EXPECT_THAT(info("End Distance (unscaled)").explanation,
                HasSubstr("in pixels, not scaled: 1 to 1000. Default 100."));
}

// Every described control that holds a value, in order, explained by its description; a new
// instance holds the described default, as the filter maps it.
TEST_F(Frei0rApiTest, ParametersAreTheDescribedControls) {
    using namespace Kelvane::Neon;
    int index = 0;
    for (const Control& c : kControls) {
        if (!holdsValue(c.kind)) {
            continue;
        }
        SCOPED_TRACE(c.name);
        f0r_param_info_t param{};
        f0r.paramInfo(&param, index);
        EXPECT_STREQ(param.name, c.name);
        EXPECT_THAT(param.explanation, StartsWith(sentence(c) + " "));
        if (c.kind == ControlKind::Popup) {
            EXPECT_EQ(param.type, F0R_PARAM_STRING);
            std::istringstream choices(c.choices);
            std::string choice;
            for (int n = 0; n < c.dephault; ++n) {
                std::getline(choices, choice, '|');
            }
            char* value = nullptr;
            f0r.getParam(fx, &value, index);
            EXPECT_STREQ(value, choice.c_str());
        } else if (c.kind == ControlKind::Color) {
            EXPECT_EQ(param.type, F0R_PARAM_COLOR);
            f0r_param_color_t value{};
            f0r.getParam(fx, &value, index);
            EXPECT_FLOAT_EQ(value.r, c.color.red / 255.0f);
            EXPECT_FLOAT_EQ(value.g, c.color.green / 255.0f);
            EXPECT_FLOAT_EQ(value.b, c.color.blue / 255.0f);
        } else {
            EXPECT_EQ(param.type, F0R_PARAM_DOUBLE);
            double value = -1.0;
            f0r.getParam(fx, &value, index);
            EXPECT_DOUBLE_EQ(value, double(c.dephault - c.range.sliderMin) /
                                        (c.range.sliderMax - c.range.sliderMin));
        }
        ++index;
    }
    f0r_plugin_info_t plugin{};
    f0r.pluginInfo(&plugin);
    EXPECT_EQ(plugin.num_params, index + 6); // and the unscaled twins
}

TEST_F(Frei0rApiTest, NumbersSpanTheSliderAndBeyondReachTheValidRange) {
    // Stroke Count: slider 1 to 5, valid 1 to 100, default 3.
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Stroke Count"), 0.5);
    const std::pair<double, double> strokeCounts[] = {
        {0.75, 0.75},   // 4
        {0.3, 0.25},    // 2.2, a whole 2
        {2.0, 2.0},     // 9, past the slider
        {100.0, 24.75}, // 401, held at 100
        {-3.0, 0.0},    // held at 1
    };
    for (const auto& [set, got] : strokeCounts) {
        f0r.setDouble(fx, "Stroke Count", set);
        EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Stroke Count"), got) << set;
    }
    // End Distance: slider 1 to 400, default 100.
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "End Distance"), 99.0 / 399.0);
    // Glow Opacity: a percentage whose slider spans its valid range.
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Glow Opacity"), 0.3);
    f0r.setDouble(fx, "Glow Opacity", 1.5);
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Glow Opacity"), 1.0);

    testing::internal::CaptureStderr();
    f0r.setDouble(fx, "Glow Opacity", std::nan(""));
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\"Glow Opacity\" needs a"));
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Glow Opacity"), 1.0);

    // An unscaled twin sets the same control by the value it shows, held to the valid range.
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "End Distance (unscaled)"), 100.0);
    f0r.setDouble(fx, "Stroke Count (unscaled)", 4.0);
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Stroke Count"), 0.75);
    f0r.setDouble(fx, "Stroke Count", 0.25);
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Stroke Count (unscaled)"), 2.0);
    f0r.setDouble(fx, "Stroke Width (unscaled)", 1000.0);
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Stroke Width (unscaled)"), 400.0);

    // Each instance has values of its own, starting at the defaults.
    const f0r_instance_t other = f0r.construct(8, 8);
    EXPECT_DOUBLE_EQ(f0r.getDouble(other, "Stroke Count"), 0.5);
    f0r.destruct(other);
}

TEST_F(Frei0rApiTest, PopupsTakeAChoiceByNameOrNumber) {
    EXPECT_EQ(f0r.getString(fx, "Neon Type"), "Outer Neon");
    f0r.setString(fx, "Neon Type", " inner NEON ");
    EXPECT_EQ(f0r.getString(fx, "Neon Type"), "Inner Neon");
    f0r.setString(fx, "Neon Type", "2");
    EXPECT_EQ(f0r.getString(fx, "Neon Type"), "Outer Neon");
    f0r.setString(fx, "Direction", "Outer->Inner");
    EXPECT_EQ(f0r.getString(fx, "Direction"), "Outer->Inner");
    // An empty string, as ffmpeg passes for a field left empty, quietly takes the first
    // choice, as an empty number field arrives as 0 and takes the slider's minimum.
    testing::internal::CaptureStderr();
    f0r.setString(fx, "Neon Type", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(f0r.getString(fx, "Neon Type"), "Inner Neon");
    f0r.setString(fx, "Neon Type", "Outer Neon");

    testing::internal::CaptureStderr();
    f0r.setString(fx, "Neon Type", "Sideways");
    f0r.setString(fx, "Neon Type", "3");
    f0r.setString(fx, "Neon Type", nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, HasSubstr("\"Neon Type\" is one of Inner Neon, Outer Neon (or 1 to 2), not "
                                "\"Sideways\"; it keeps its value"));
    EXPECT_EQ(count(said, "zarvo_neon:"), 1) << said;
    EXPECT_EQ(f0r.getString(fx, "Neon Type"), "Outer Neon");
}

TEST_F(Frei0rApiTest, ColoursRoundToTheNearestByteWithinRange) {
    const int index = f0r.index("Color 1");
    f0r_param_color_t color{};
    f0r.getParam(fx, &color, index);
    EXPECT_FLOAT_EQ(color.r, 25 / 255.0f);
    EXPECT_FLOAT_EQ(color.b, 1.0f);

    color = {1.0f, 0.0f, 0.6667f}; // #FF00AA as ffmpeg reads "1/0/0.6667"
    f0r.setParam(fx, &color, index);
    f0r.getParam(fx, &color, index);
    EXPECT_FLOAT_EQ(color.b, 170 / 255.0f);

    color = {2.0f, -1.0f, 0.5f};
    f0r.setParam(fx, &color, index);
    f0r.getParam(fx, &color, index);
    EXPECT_FLOAT_EQ(color.r, 1.0f);
    EXPECT_FLOAT_EQ(color.g, 0.0f);
    EXPECT_FLOAT_EQ(color.b, 128 / 255.0f);
}

TEST_F(Frei0rApiTest, BadCallsChangeNothingAndAreReportedOncePerInstance) {
    std::vector<std::uint32_t> in(64 * 48, 0x11223344u);
    std::vector<std::uint32_t> out(64 * 48, 0xAAAAAAAAu);
    double value = 0.25;
    f0r_param_info_t param{};

    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        f0r.setParam(fx, &value, 32);
        f0r.setParam(fx, &value, -1);
        f0r.getParam(fx, &value, 32);
        f0r.setParam(fx, nullptr, 0);
        f0r.getParam(fx, nullptr, 0);
        f0r.update(fx, 0.0, nullptr, out.data());
        f0r.update(fx, 0.0, in.data(), nullptr);
        f0r.setParam(nullptr, &value, 0);
        f0r.update(nullptr, 0.0, in.data(), out.data());
        f0r.paramInfo(&param, 32);
        f0r.paramInfo(nullptr, 0);
        f0r.pluginInfo(nullptr);
    }
    const f0r_instance_t second = f0r.construct(16, 16);
    f0r.setParam(second, &value, 32);
    f0r.destruct(second);
    f0r.destruct(second); // already gone: not freed twice
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(count(said, "f0r_set_param_value: there is no parameter"), 2) << said;
    EXPECT_EQ(count(said, "no input frame"), 1) << said;
    EXPECT_EQ(count(said, "f0r_update got a null instance"), 1) << said;
    EXPECT_EQ(count(said, "f0r_destruct got an unknown instance"), 1) << said;
    EXPECT_EQ(count(said, "zarvo_neon:"), 12) << said;
    EXPECT_EQ(value, 0.25);
    EXPECT_EQ(param.name, nullptr);
    EXPECT_EQ(out, std::vector<std::uint32_t>(64 * 48, 0xAAAAAAAAu));
    EXPECT_DOUBLE_EQ(f0r.getDouble(fx, "Visibility"), 1.0);
}

TEST_F(Frei0rApiTest, FramesPassThroughUnchangedWhenTheEffectCannotRun) {
    std::vector<std::uint32_t> in(64 * 48);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i] = std::uint32_t(i * 2654435761u);
    }
    std::vector<std::uint32_t> out(in.size());

    // No f0r_init: the effect has no global set-up.
    testing::internal::CaptureStderr();
    f0r.update(fx, 0.0, in.data(), out.data());
    f0r.update(fx, 0.04, in.data(), out.data());
    // A frame of no pixels.
    const f0r_instance_t empty = f0r.construct(0, 8);
    f0r.update(empty, 0.0, in.data(), out.data());
    f0r.destruct(empty);
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(out, in);
    EXPECT_EQ(count(said, "the effect is not set up"), 1) << said;
    EXPECT_THAT(said, HasSubstr("a 0 x 8 frame has no pixels to draw"));
}

} // namespace
