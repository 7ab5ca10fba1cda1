#!/usr/bin/env python3
"""The editors' descriptions of the filter, checked against the filter itself through melt.

    editors.py kdenlive EFFECT_XML PLUGIN_DIR ZARVO_NEON WORK
    editors.py shotcut FILTER_DIR PLUGIN_DIR ZARVO_NEON WORK

Every parameter a description names must exist in the filter (as melt lists it) under the same
name with a matching type. An MLT project as the editor writes it, built only from what the
description says (defaults, list values, the factor between shown and stored numbers), rendered
by melt, must equal `zarvo-neon render` with the same controls byte for byte: once with the
description's defaults against the effect's own, once with other values (every popup off its
default) and one keyframed control.
"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

SERVICE = "frei0r.zarvo_neon"
W, H, FRAMES = 64, 48, 3
# Values a user might pick, as the controls show them, none the default.
SHOWN = {
    "Neon Type": "Outer Neon",
    "Stroke Count": 4,
    "Start Distance": 2,
    "End Distance": 12,
    "Stroke Width": 6,
    "Direction": "Outer->Inner",
    "Visibility": 80,
    "Visibility Seed": 5,
    "Color Type": "Gradient",
    "Color Count": 4,
    "Color 1": "#FF00AA",
    "Color 2": "#FFFF00",
    "Color 4": "#00FFFF",
    "Glow Size": 8,
    "Glow Random": 25,
    "Glow Random Seed": 7,
    "Smooth": 3,
    "Composite": "Neon And Origin",
    "Quality": "High",
}
# Glow Opacity 30 % at frame 0 to 60 % at frame 2, linear in both.
KEYED = ("Glow Opacity", 30, 60)


def fail(message):
    sys.exit("FAILED: " + message)


def run(args, **kw):
    result = subprocess.run(args, capture_output=True, **kw)
    if result.returncode != 0:
        fail("%s: %s" % (args[0], result.stderr.decode(errors="replace")[-2000:]))
    return result.stdout


def query():
    """The filter's parameters as melt lists them: index -> (title, type)."""
    text = run(["melt", "-query", "filter=" + SERVICE]).decode()
    params, current = {}, None
    for line in text.splitlines():
        m = re.match(r"\s*- identifier: (\d+)$", line)
        if m:
            current = int(m.group(1))
            params[current] = {}
            continue
        m = re.match(r"\s+(title|type): (.*)$", line)
        if m and current is not None:
            params[current].setdefault(m.group(1), m.group(2).strip().strip("\"'"))
    if not params:
        fail("melt lists no parameters for " + SERVICE)
    return {i: (p.get("title"), p.get("type")) for i, p in params.items()}


def control_name(title):
    return title[: -len(" (unscaled)")] if title.endswith(" (unscaled)") else title


def check_names(named, filter_params):
    """Every control the filter has appears once in the editor, under its own name."""
    expected = {control_name(t) for t, _ in filter_params.values()}
    names = [name for name, _ in named]
    if sorted(names) != sorted(expected):
        fail("the editor shows %s, the filter has %s" % (sorted(names), sorted(expected)))
    for name, index in named:
        title = filter_params[index][0]
        if control_name(title) != name:
            fail("%s sets parameter %d, which is %s" % (name, index, title))


def layer():
    """A soft-edged disc, its red, green and blue all different."""
    run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         "color=c=black:s=%dx%d:r=10:d=0.1,format=rgba,"
         "geq=r=230:g=40:b=X*3:a=255*clip(11-hypot(X-24\\,Y-24)\\,0\\,1)" % (W, H),
         "-frames:v", "1", "layer.png"])


def melt_render(name, properties):
    """Renders `properties` (name -> stored value) in a project as an editor writes one: a
    track's playlist whose clip carries the filter, in a tractor."""
    esc = lambda s: str(s).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    props = "".join('   <property name="%s">%s</property>\n' % (k, esc(v))
                    for k, v in properties.items())
    project = f"""<?xml version="1.0" encoding="utf-8"?>
<mlt LC_NUMERIC="C" producer="main_bin">
 <profile width="{W}" height="{H}" progressive="1" sample_aspect_num="1" sample_aspect_den="1"
          display_aspect_num="{W}" display_aspect_den="{H}" frame_rate_num="10" frame_rate_den="1"
          colorspace="709"/>
 <producer id="producer0" in="0" out="{FRAMES - 1}">
  <property name="resource">layer.png</property>
  <property name="length">{FRAMES}</property>
  <property name="mlt_service">qimage</property>
 </producer>
 <playlist id="playlist0">
  <entry producer="producer0" in="0" out="{FRAMES - 1}">
   <filter id="filter0">
    <property name="mlt_service">{SERVICE}</property>
    <property name="kdenlive_id">{SERVICE}</property>
{props}   </filter>
  </entry>
 </playlist>
 <tractor id="tractor0" in="0" out="{FRAMES - 1}">
  <track producer="playlist0"/>
 </tractor>
</mlt>
"""
    with open(name + ".mlt", "w") as f:
        f.write(project)
    result = run(["melt", "-silent", "-quiet", "xml:" + name + ".mlt", "-consumer",
                  "avformat:" + name + ".rgba", "f=rawvideo", "pix_fmt=rgba", "an=1",
                  "real_time=0"])
    with open(name + ".rgba", "rb") as f:
        frames = f.read()
    if len(frames) != FRAMES * W * H * 4:
        fail("melt wrote %d bytes for %s, not %d frames" % (len(frames), name, FRAMES))
    return frames


def command_render(cli, name, sets=(), keys=()):
    args = [cli, "render", "-i", "layer.png", "-o", name + "-%d.pam", "--fps", "10",
            "--frames", "0-%d" % (FRAMES - 1), "--quiet"]
    for s in sets:
        args += ["--set", s]
    for k in keys:
        args += ["--key", k]
    run(args)
    frames = b""
    for i in range(FRAMES):
        with open("%s-%d.pam" % (name, i), "rb") as f:
            frames += f.read()[-W * H * 4:]
    return frames


def compare(name, editor, command):
    if editor != command:
        fail(name + ": melt's frames differ from zarvo-neon render's")


def stored(value, factor):
    """A number as the editor stores it: the shown value divided by the factor."""
    return repr(value / factor)


def check_renders(editor, cli, defaults, store):
    """Projects as `editor` writes them against the command: the description's defaults, then
    SHOWN and KEYED, each stored as store(name, shown value) -> (parameter, text) says."""
    compare("defaults", melt_render(editor + "-defaults", defaults),
            command_render(cli, "command-defaults"))
    props, sets = dict(defaults), []
    for name, value in SHOWN.items():
        index, text = store(name, value)
        props[index] = text
        sets.append("%s=%s" % (name, value))
    index, start = store(KEYED[0], KEYED[1])
    props[index] = "0=%s;%d=%s" % (start, FRAMES - 1, store(KEYED[0], KEYED[2])[1])
    key = "%s=%s@0,%s@%d" % (KEYED[0], KEYED[1], KEYED[2], FRAMES - 1)
    compare("other values", melt_render(editor + "-values", props),
            command_render(cli, "command-values", sets, [key]))


def check_kdenlive(effect_xml, cli):
    root = ET.parse(effect_xml).getroot()
    if root.tag != "effect" or root.get("tag") != SERVICE:
        fail("not an effect description of " + SERVICE)
    filter_params = query()
    controls = {}
    for p in root.findall("parameter"):
        index, kind, name = int(p.get("name")), p.get("type"), p.findtext("name")
        if index not in filter_params:
            fail("%s: the filter has no parameter %d" % (name, index))
        want = {"list": "string", "animated": "float", "color": "color"}.get(kind)
        if filter_params[index][1] != want:
            fail("%s is a %s, parameter %d a %s" % (name, kind, index, filter_params[index][1]))
        if kind == "list":
            shown = p.findtext("paramlistdisplay").split(",")
            if p.get("paramlist").split(";") != shown or p.get("default") not in shown:
                fail("%s: the list's values, names and default disagree" % name)
        controls[name] = (index, kind, p.get("default"), float(p.get("factor", "1")))
    check_names([(n, c[0]) for n, c in controls.items()], filter_params)

    def store(name, value):
        index, kind, _, factor = controls[name]
        if kind == "color":
            return str(index), "0x" + value[1:].lower() + "ff"
        return str(index), value if kind == "list" else stored(value, factor)

    check_renders("kdenlive", cli, {str(i): d for i, _, d, _ in controls.values()}, store)


def qml_controls(ui):
    """The ui.qml's controls in order: (label, kind, parameter, details)."""
    out = []
    label_and_body = r"Label \{\s*text: qsTr\('((?:[^'\\]|\\.)*)'\)(.*?)(?=\n        Label \{|\Z)"
    for m in re.finditer(label_and_body, ui, re.S):
        label, body = m.group(1).replace("\\'", "'"), m.group(2)
        if label == "Preset":
            continue
        if "Shotcut.SliderSpinner" in body:
            u = re.search(r"updateFilter\('(\d+)', value / ([0-9.e+-]+),", body)
            lo = float(re.search(r"minimumValue: ([0-9.e+-]+)", body).group(1))
            hi = float(re.search(r"maximumValue: ([0-9.e+-]+)", body).group(1))
            out.append((label, "slider", int(u.group(1)), (float(u.group(2)), lo, hi)))
        elif "Shotcut.ComboBox" in body:
            values = re.search(r"property var values: \[(.*?)\]", body).group(1)
            p = re.search(r"onActivated: filter\.set\('(\d+)', values\[currentIndex\]\)", body)
            out.append((label, "combo", int(p.group(1)), re.findall(r"'([^']*)'", values)))
        elif "Shotcut.ColorPicker" in body:
            p = re.search(r"filter\.set\('(\d+)', value\)", body)
            out.append((label, "color", int(p.group(1)), None))
        else:
            fail("%s: no control that sets a parameter" % label)
    return out


def check_shotcut(filter_dir, cli):
    ui = open(os.path.join(filter_dir, "ui.qml")).read()
    meta = open(os.path.join(filter_dir, "meta.qml")).read()
    if "mlt_service: '%s'" % SERVICE not in meta or "qml: 'ui.qml'" not in meta:
        fail("meta.qml does not name the filter and ui.qml")
    filter_params = query()
    controls = {}
    for label, kind, index, details in qml_controls(ui):
        if index not in filter_params:
            fail("%s: the filter has no parameter %d" % (label, index))
        want = {"slider": "float", "combo": "string", "color": "color"}[kind]
        if filter_params[index][1] != want:
            fail("%s is a %s, parameter %d a %s" % (label, kind, index, filter_params[index][1]))
        controls[label] = (index, kind, details)
    check_names([(n, c[0]) for n, c in controls.items()], filter_params)

    # Keyframes: each animated parameter is a slider's, within the slider's range.
    sliders = {c[0]: c[2] for c in controls.values() if c[1] == "slider"}
    keyed = re.findall(r"property: '(\d+)'\s*isCurve: true\s*minimum: ([0-9.e+-]+)\s*"
                       r"maximum: ([0-9.e+-]+)", meta)
    if sorted(int(k[0]) for k in keyed) != sorted(sliders):
        fail("meta.qml's keyframed parameters are not the sliders'")
    for index, lo, hi in keyed:
        factor, shown_lo, shown_hi = sliders[int(index)]
        if abs(float(lo) * factor - shown_lo) > 1e-6 or abs(float(hi) * factor - shown_hi) > 1e-6:
            fail("meta.qml: parameter %s's range is not its slider's" % index)

    new = re.search(r"if \(filter\.isNew\) \{(.*?)filter\.savePreset", ui, re.S).group(1)
    defaults = {i: v.strip("'") for i, v in re.findall(r"filter\.set\('(\d+)', ([^)]*)\);", new)}
    if sorted(int(i) for i in defaults) != sorted(c[0] for c in controls.values()):
        fail("a new filter does not set every control's default")
    # A control whose value the project leaves out shows the same default.
    fallback = r"(?:textOf|numberAt)\('(\d+)', ('[^']*'|[^,)]+)"
    shown = {i: v.strip("'") for i, v in re.findall(fallback, ui)}
    if shown != defaults:
        fail("a control left out of a project shows another value than a new filter's")

    def store(name, value):
        index, kind, details = controls[name]
        if kind == "combo" and value not in details:
            fail("%s offers no %s" % (name, value))
        return str(index), stored(value, details[0]) if kind == "slider" else value

    check_renders("shotcut", cli, defaults, store)


def main():
    if len(sys.argv) != 6 or sys.argv[1] not in ("kdenlive", "shotcut"):
        sys.exit(__doc__)
    case, description, plugin_dir, cli, work = sys.argv[1:]
    description, cli = os.path.abspath(description), os.path.abspath(cli)
    os.environ["FREI0R_PATH"] = os.path.abspath(plugin_dir)
    os.makedirs(work, exist_ok=True)
    os.chdir(work)
    layer()
    (check_kdenlive if case == "kdenlive" else check_shotcut)(description, cli)


if __name__ == "__main__":
    main()
