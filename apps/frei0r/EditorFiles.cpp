#include "apps/frei0r/EditorFiles.h"

#include "effect/controls/EffectInfo.h"
#include "effect/controls/HexColor.h"

extern "C" {
#include <frei0r.h>
}

#include <cctype>
#include <locale>
#include <sstream>

namespace Kelvane::Neon::Apps {
namespace {

constexpr const char* kService = "frei0r.zarvo_neon";

std::string number(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(10);
    out << value;
    return out.str();
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// A single-quoted QML/JavaScript string.
std::string js(const std::string& text) {
    std::string out = "'";
    for (char ch : text) {
        if (ch == '\'' || ch == '\\') {
            out += '\\';
        }
        out += ch;
    }
    return out + "'";
}

// "Glow Random Seed" -> "glowRandomSeed", for QML ids.
std::string identifier(const std::string& name) {
    std::string out;
    bool upper = false;
    for (char ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            upper = !out.empty();
            continue;
        }
        out += out.empty() ? char(std::tolower(static_cast<unsigned char>(ch)))
               : upper     ? char(std::toupper(static_cast<unsigned char>(ch)))
                           : ch;
        upper = false;
    }
    return out;
}

bool isNumber(const EditorControl& e) {
    return e.control->kind == ControlKind::Slider || e.control->kind == ControlKind::FixedSlider;
}

const char* suffix(const Control& c) {
    return c.percent ? "%" : c.unit != nullptr ? " px" : "";
}

// The value the filter takes for `shown`.
double toParam(const EditorControl& e, double shown) {
    return shown / e.factor;
}

std::string comment(const Control& c) {
    return Kelvane::Neon::sentence(c);
}

} // namespace

std::vector<EditorControl> editorControls(const FilterParams& params) {
    std::vector<EditorControl> out;
    for (const Control& c : Kelvane::Neon::kControls) {
        if (!Kelvane::Neon::holdsValue(c.kind)) {
            continue;
        }
        EditorControl e;
        e.control = &c;
        e.index = params.indexOf(c, false);
        if (c.kind == ControlKind::Popup) {
            e.choices = choiceNames(c.choices);
        } else if (c.kind != ControlKind::Color) {
            const auto& r = c.range;
            // Through the unscaled twin where the filter has one.
            if (const int twin = params.indexOf(c, true); twin >= 0) {
                e.index = twin;
            } else {
                e.factor = r.sliderMax - r.sliderMin;
            }
            e.minimum = r.validMin;
            e.maximum = r.validMax;
            e.dephault = c.dephault;
            e.decimals = c.kind == ControlKind::FixedSlider ? c.precision : 0;
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::string kdenliveEffect(const FilterParams& params) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\"?>\n<!DOCTYPE kpartgui>\n"
        << "<!-- Made from the effect's controls by zarvo_editor_files. -->\n"
        << "<effect tag=\"" << kService << "\" id=\"" << kService
        << "\" type=\"video\" LC_NUMERIC=\"C\">\n"
        << "    <name>" << xmlEscaped(Kelvane::Neon::kEffectName) << "</name>\n"
        << "    <description>" << xmlEscaped(kFilterExplanation) << "</description>\n"
        << "    <author>" << xmlEscaped(kFilterAuthor) << "</author>\n";
    for (const EditorControl& e : editorControls(params)) {
        const Control& c = *e.control;
        out << "    <parameter name=\"" << e.index << "\" ";
        if (c.kind == ControlKind::Popup) {
            std::string list, shown;
            for (const auto& choice : e.choices) {
                list += (list.empty() ? "" : ";") + choice;
                shown += (shown.empty() ? "" : ",") + choice;
            }
            out << "type=\"list\" default=\"" << xmlEscaped(e.choices.at(c.dephault - 1))
                << "\" paramlist=\"" << xmlEscaped(list) << "\">\n"
                << "        <paramlistdisplay>" << xmlEscaped(shown) << "</paramlistdisplay>\n";
        } else if (c.kind == ControlKind::Color) {
            out << "type=\"color\" default=\""
                << "0x" + hexDigits(c.color, HexCase::Lower) + "ff"
                << "\">\n";
        } else {
            // Kdenlive shows the value times `factor`, between min and max; its default is
            // the parameter's own value.
            out << "type=\"animated\" default=\"" << number(toParam(e, e.dephault)) << "\" min=\""
                << number(e.minimum) << "\" max=\"" << number(e.maximum) << "\"";
            if (e.factor != 1.0) {
                out << " factor=\"" << number(e.factor) << "\"";
            }
            out << " decimals=\"" << e.decimals << "\"";
            if (*suffix(c) != '\0') {
                out << " suffix=\"" << suffix(c) << "\"";
            }
            out << ">\n";
        }
        out << "        <name>" << xmlEscaped(c.name) << "</name>\n";
        if (!comment(c).empty()) {
            out << "        <comment>" << xmlEscaped(comment(c)) << "</comment>\n";
        }
        out << "    </parameter>\n";
    }
    out << "</effect>\n";
    return out.str();
}

std::string shotcutMeta(const FilterParams& params) {
    std::ostringstream out;
    out << "// Made from the effect's controls by zarvo_editor_files.\n"
        << "import QtQuick 2.0\nimport org.shotcut.qml 1.0\n\n"
        << "Metadata {\n"
        << "    type: Metadata.Filter\n"
        << "    name: qsTr(" << js(Kelvane::Neon::kEffectName) << ")\n"
        << "    keywords: qsTr('neon glow outline stroke edge alpha', 'search keywords for the "
        << Kelvane::Neon::kEffectName << " video filter') + ' zarvo neon'\n"
        << "    objectName: 'zarvo_neon'\n"
        << "    mlt_service: " << js(kService) << "\n"
        << "    qml: 'ui.qml'\n\n"
        << "    keyframes {\n"
        << "        parameters: [";
    bool first = true;
    for (const EditorControl& e : editorControls(params)) {
        if (!isNumber(e)) {
            continue;
        }
        out << (first ? "" : ",") << "\n"
            << "            Parameter {\n"
            << "                name: qsTr(" << js(e.control->name) << ")\n"
            << "                property: '" << e.index << "'\n"
            << "                isCurve: true\n"
            << "                minimum: " << number(toParam(e, e.minimum)) << "\n"
            << "                maximum: " << number(toParam(e, e.maximum)) << "\n"
            << "            }";
        first = false;
    }
    out << "\n        ]\n    }\n}\n";
    return out.str();
}

std::string shotcutUi(const FilterParams& params) {
    const auto controls = editorControls(params);
    std::ostringstream head, set, enable, simple, isNew, grid;
    std::string keyframable, middles, all;
    for (const EditorControl& e : controls) {
        const Control& c = *e.control;
        const std::string id = identifier(c.name);
        const std::string param = "'" + std::to_string(e.index) + "'";
        all += (all.empty() ? "" : ", ") + param;
        grid << "\n        Label {\n            text: qsTr(" << js(c.name) << ")\n"
             << "            Layout.alignment: Qt.AlignRight\n";
        if (!comment(c).empty()) {
            grid << "\n            Shotcut.HoverTip {\n                text: qsTr("
                 << js(comment(c)) << ")\n            }\n";
        }
        grid << "        }\n";
        if (c.kind == ControlKind::Popup) {
            std::string names, values;
            for (const auto& choice : e.choices) {
                names += (names.empty() ? "" : ", ") + ("qsTr(" + js(choice) + ")");
                values += (values.empty() ? "" : ", ") + js(choice);
            }
            const std::string dflt = js(e.choices.at(c.dephault - 1));
            isNew << "            filter.set(" << param << ", " << dflt << ");\n";
            set << "        " << id << "Combo.currentIndex = choiceIndex(" << id
                << "Combo.values, textOf(" << param << ", " << dflt << "));\n";
            grid << "\n        Shotcut.ComboBox {\n            id: " << id << "Combo\n\n"
                 << "            property var values: [" << values << "]\n\n"
                 << "            implicitWidth: 160\n"
                 << "            model: [" << names << "]\n"
                 << "            onActivated: filter.set(" << param << ", values[currentIndex])\n"
                 << "        }\n"
                 << "\n        Shotcut.UndoButton {\n            onClicked: {\n"
                 << "                filter.set(" << param << ", " << dflt << ");\n"
                 << "                " << id << "Combo.currentIndex = " << (c.dephault - 1)
                 << ";\n            }\n        }\n"
                 << "\n        Item {\n            width: 1\n        }\n";
        } else if (c.kind == ControlKind::Color) {
            const std::string dflt = js("#" + hexDigits(c.color, HexCase::Lower));
            isNew << "            filter.set(" << param << ", " << dflt << ");\n";
            set << "        " << id << "Picker.value = textOf(" << param << ", " << dflt << ");\n";
            grid << "\n        Shotcut.ColorPicker {\n            id: " << id << "Picker\n\n"
                 << "            onValueChanged: {\n"
                 << "                if (!blockUpdate)\n"
                 << "                    filter.set(" << param << ", value);\n"
                 << "            }\n        }\n"
                 << "\n        Shotcut.UndoButton {\n            onClicked: " << id
                 << "Picker.value = " << dflt << "\n        }\n"
                 << "\n        Item {\n            width: 1\n        }\n";
        } else {
            const std::string slider = id + "Slider", button = id + "KeyframesButton";
            const std::string toParamText = "value / " + number(e.factor);
            const std::string sliderParam = slider + "." + toParamText;
            const std::string dflt = number(toParam(e, e.dephault));
            keyframable += (keyframable.empty() ? "" : ", ") + param;
            middles += (middles.empty() ? "" : ", ") + dflt;
            isNew << "            filter.set(" << param << ", " << dflt << ");\n";
            set << "        " << slider << ".value = numberAt(" << param << ", " << dflt
                << ", position) * " << number(e.factor) << ";\n"
                << "        " << button << ".checked = filter.animateIn <= 0 && "
                << "filter.animateOut <= 0 && filter.keyframeCount(" << param << ") > 0;\n";
            enable << "        " << slider << ".enabled = enabled;\n";
            simple << "        updateFilter(" << param << ", " << sliderParam << ", " << button
                   << ", null);\n";
            grid << "\n        Shotcut.SliderSpinner {\n            id: " << slider << "\n\n"
                 << "            minimumValue: " << number(e.minimum) << "\n"
                 << "            maximumValue: " << number(e.maximum) << "\n"
                 << "            stepSize: " << (e.decimals > 0 ? "0.1" : "1") << "\n"
                 << "            decimals: " << e.decimals << "\n"
                 << "            suffix: " << js(suffix(c)) << "\n"
                 << "            onValueChanged: updateFilter(" << param << ", " << toParamText
                 << ", " << button << ", getPosition())\n"
                 << "        }\n"
                 << "\n        Shotcut.UndoButton {\n            onClicked: " << slider
                 << ".value = " << number(e.dephault) << "\n        }\n"
                 << "\n        Shotcut.KeyframesButton {\n            id: " << button << "\n\n"
                 << "            onToggled: {\n"
                 << "                enableControls(true);\n"
                 << "                toggleKeyframes(checked, " << param << ", " << sliderParam
                 << ");\n"
                 << "            }\n        }\n";
        }
    }

    std::ostringstream out;
    out << "// Made from the effect's controls by zarvo_editor_files. Numbers are shown in the\n"
        << "// control's own units: the filter takes the shown value divided by the factor in\n"
        << "// each slider's onValueChanged.\n"
        << "import QtQuick 2.12\nimport QtQuick.Controls 2.12\nimport QtQuick.Layouts 1.12\n"
        << "import Shotcut.Controls 1.0 as Shotcut\n\n"
        << "Shotcut.KeyframableFilter {\n"
        << "    // A popup's position for its value, a choice's name or number.\n"
        << "    function choiceIndex(values, text) {\n"
        << "        var index = values.indexOf(text);\n"
        << "        if (index < 0 && /^[0-9]+$/.test(text))\n"
        << "            index = parseInt(text) - 1;\n"
        << "        return index;\n"
        << "    }\n\n"
        << "    // A value the project does not hold is the filter's default, as the filter takes "
           "it.\n"
        << "    function textOf(name, fallback) {\n"
        << "        var value = filter.get(name);\n"
        << "        return value ? value : fallback;\n"
        << "    }\n\n"
        << "    function numberAt(name, fallback, position) {\n"
        << "        return filter.get(name) ? filter.getDouble(name, position) : fallback;\n"
        << "    }\n\n"
        << "    function setControls() {\n"
        << "        var position = getPosition();\n"
        << "        blockUpdate = true;\n"
        << set.str() << "        blockUpdate = false;\n"
        << "        enableControls(isSimpleKeyframesActive());\n"
        << "    }\n\n"
        << "    function enableControls(enabled) {\n"
        << enable.str() << "    }\n\n"
        << "    function updateSimpleKeyframes() {\n"
        << simple.str() << "    }\n\n"
        << "    keyframableParameters: [" << keyframable << "]\n"
        << "    startValues: [" << middles << "]\n"
        << "    middleValues: [" << middles << "]\n"
        << "    endValues: [" << middles << "]\n"
        << "    width: 350\n"
        << "    height: " << 40 + 34 * (controls.size() + 1) << "\n"
        << "    Component.onCompleted: {\n"
        << "        if (filter.isNew) {\n"
        << isNew.str() << "            filter.savePreset(preset.parameters);\n"
        << "        }\n"
        << "        setControls();\n"
        << "    }\n\n"
        << "    GridLayout {\n"
        << "        anchors.fill: parent\n"
        << "        anchors.margins: 8\n"
        << "        columns: 4\n\n"
        << "        Label {\n            text: qsTr('Preset')\n"
        << "            Layout.alignment: Qt.AlignRight\n        }\n\n"
        << "        Shotcut.Preset {\n            id: preset\n\n"
        << "            parameters: [" << all << "]\n"
        << "            Layout.columnSpan: 3\n"
        << "            onBeforePresetLoaded: resetSimpleKeyframes()\n"
        << "            onPresetSelected: {\n"
        << "                setControls();\n"
        << "                initializeSimpleKeyframes();\n"
        << "            }\n        }\n"
        << grid.str() << "\n        Item {\n            Layout.fillHeight: true\n        }\n"
        << "    }\n\n"
        << "    Connections {\n"
        << "        function onChanged() {\n            setControls();\n        }\n\n"
        << "        function onInChanged() {\n            updateSimpleKeyframes();\n        }\n\n"
        << "        function onOutChanged() {\n            updateSimpleKeyframes();\n        }\n\n"
        << "        function onAnimateInChanged() {\n            updateSimpleKeyframes();\n"
        << "        }\n\n"
        << "        function onAnimateOutChanged() {\n            updateSimpleKeyframes();\n"
        << "        }\n\n"
        << "        function onPropertyChanged(name) {\n            setControls();\n        }\n\n"
        << "        target: filter\n"
        << "    }\n\n"
        << "    Connections {\n"
        << "        function onPositionChanged() {\n            setControls();\n        }\n\n"
        << "        target: producer\n"
        << "    }\n"
        << "}\n";
    return out.str();
}

std::string markdownTable(const FilterParams& params) {
    std::ostringstream out;
    out << "| # | Name | Type | Values and default |\n|---|---|---|---|\n";
    for (int i = 0; i < params.size(); ++i) {
        const FilterParam& p = *params.find(i);
        const char* type = p.type == F0R_PARAM_DOUBLE   ? "number"
                           : p.type == F0R_PARAM_STRING ? "text"
                                                        : "colour";
        std::string text;
        for (char ch : p.explanation) {
            text += ch == '|' ? std::string("\\|") : std::string(1, ch);
        }
        out << "| " << i << " | " << p.name << " | " << type << " | " << text << " |\n";
    }
    return out.str();
}

} // namespace Kelvane::Neon::Apps
