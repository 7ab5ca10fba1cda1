#!/usr/bin/env bash
# Runs every command of one README section, as a newcomer would from the repository's root, in
# a scratch folder: `build` links to the build tree, HOME is a folder of its own, and an install
# under /usr goes into a staging root (DESTDIR) instead of the system. The section makes its own
# inputs. Then checks what the commands promise: the files installed where the section says,
# the outputs written, and the parameter table as the filter lists it.
#   readme-commands.sh README BUILD EDITOR_FILES WORK
set -euo pipefail
readme=$(realpath "$1") build=$(realpath "$2") editor_files=$(realpath "$3") work=$4
heading="## ffmpeg, melt, Kdenlive and Shotcut"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

section=$(awk -v h="$heading" '$0 == h { on = 1; print; next } on && /^## / { exit } on' "$readme")
[ -n "$section" ] || fail "no section \"$heading\""
table=$("$editor_files" --markdown)
[[ "$section" == *"$table"* ]] || fail "the section's parameter table is not the filter's"

rm -rf "$work" && mkdir -p "$work/home" && cd "$work"
work=$PWD
ln -s "$build" build

# Each ```sh block's lines, in order.
awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' <<<"$section" >commands.sh
[ -s commands.sh ] || fail "the section holds no commands"
cmake() {
    case " $* " in
    *" --install "*" --prefix /usr"*) DESTDIR="$STAGE" command cmake "$@" ;;
    *) command cmake "$@" ;;
    esac
}
export -f cmake
env -u FREI0R_PATH HOME="$work/home" STAGE="$work/root" \
    bash -euo pipefail commands.sh >commands.log 2>&1 || fail "$(tail -n 20 commands.log)"

for f in home/.frei0r-1/lib/zarvo_neon.so root/usr/local/lib/frei0r-1/zarvo_neon.so \
    home/.local/share/kdenlive/effects/frei0r_zarvo_neon.xml \
    root/usr/share/shotcut/qml/filters/zarvo_neon/meta.qml \
    root/usr/share/shotcut/qml/filters/zarvo_neon/ui.qml \
    logo.png background.png background.mp4 \
    neon-over-background.png neon-over-layer.png neon.mp4 neon-melt.mp4; do
    [ -s "$f" ] || fail "$f was not written"
done
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$1"; }
[ "$(frames neon.mp4)" = 48 ] || fail "neon.mp4 holds $(frames neon.mp4) frames, not 48"
[ "$(frames neon-melt.mp4)" = 48 ] || fail "neon-melt.mp4 holds $(frames neon-melt.mp4) frames"
