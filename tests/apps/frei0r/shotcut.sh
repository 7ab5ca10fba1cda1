#!/usr/bin/env bash
# Shotcut's own parts read the filter's description, headless:
#   shotcut.sh FILTER_DIR PLUGIN_DIR WORK
# - Qt's QML linter parses meta.qml and ui.qml;
# - Debian's Shotcut, started under Xvfb from a prefix of its own whose filters folder holds
#   ours beside its own, loads meta.qml without a QML error and lists "Zarvo Neon"; it then
#   opens a clip carrying the filter and plays it, and the filter starts and renders inside
#   the editor's OpenGL process without a message.
# Shotcut loads ui.qml only when a user selects the filter in its panel, which nothing headless
# can do; ui.qml's parameters and mapping are checked against the filter by editors.py.
set -euo pipefail
filter=$(realpath "$1") plugins=$(realpath "$2") work=$3

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

/usr/lib/qt5/bin/qmllint "$filter/meta.qml" "$filter/ui.qml" || fail "qmllint"

rm -rf "$work" && mkdir -p "$work" && cd "$work"
work=$PWD
# Shotcut finds its QML beside its binary (../share/shotcut/qml), so a copy of the binary gets a
# share folder of links to the installed one, with a filters folder of its own.
mkdir -p prefix/bin prefix/share/shotcut/qml/filters appdata
cp /usr/bin/shotcut prefix/bin/
for entry in /usr/share/shotcut/*; do
    [ "${entry##*/}" = qml ] || ln -s "$entry" prefix/share/shotcut/
done
for entry in /usr/share/shotcut/qml/*; do
    [ "${entry##*/}" = filters ] || ln -s "$entry" prefix/share/shotcut/qml/
done
for entry in /usr/share/shotcut/qml/filters/*; do
    ln -s "$entry" prefix/share/shotcut/qml/filters/
done
cp -r "$filter" prefix/share/shotcut/qml/filters/zarvo_neon
cat >clip.mlt <<CLIP
<?xml version="1.0" encoding="utf-8"?>
<mlt LC_NUMERIC="C">
 <producer id="producer0" in="0" out="49">
  <property name="resource">#80ffffff</property>
  <property name="mlt_service">color</property>
  <property name="length">50</property>
  <filter id="filter0">
   <property name="mlt_service">frei0r.zarvo_neon</property>
   <property name="shotcut:filter">zarvo_neon</property>
   <property name="0">Inner Neon</property>
  </filter>
 </producer>
</mlt>
CLIP

# Shotcut runs until closed: it is stopped once it has played the clip for a few seconds.
FREI0R_PATH=$plugins setsid xvfb-run -a -s "-screen 0 1280x1024x24" prefix/bin/shotcut \
    --noupgrade --appdata "$work/appdata" "$work/clip.mlt" >shotcut.log 2>&1 &
session=$!
# Shotcut does not end on SIGTERM alone: the whole session (Xvfb included) is killed.
stop() {
    kill -TERM -- -$session 2>/dev/null || return 0
    sleep 1
    kill -KILL -- -$session 2>/dev/null || true
}
trap stop EXIT
for _ in $(seq 120); do
    [ "$(grep -c '<MainWindow::open> "' shotcut.log)" -ge 2 ] && break
    kill -0 $session 2>/dev/null || fail "Shotcut ended: $(tail -n 20 shotcut.log)"
    sleep 0.5
done
[ "$(grep -c '<MainWindow::open> "' shotcut.log)" -ge 2 ] || fail "Shotcut did not open the clip"
sleep 5
stop
wait $session 2>/dev/null || true
trap - EXIT

grep -q 'added filter "Zarvo Neon"' shotcut.log || fail "Shotcut did not list the filter"
! grep -n "zarvo_neon/.*qml\|zarvo_neon:" shotcut.log || fail "see the lines above"
