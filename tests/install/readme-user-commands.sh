#!/usr/bin/env bash
# Runs the README's "Debian and Ubuntu" section as a user would, as root, in an empty folder
# holding the release's .deb and nothing of the build: `apt` answers yes and waits for another
# install's lock, nothing else is changed. Then checks what the section promises: the command
# and the filter from the system's own folders, the outputs written, and the video's length.
# The package stays installed for the install test that follows; it purges it.
#   readme-user-commands.sh README DEB WORK
set -euo pipefail
readme=$(realpath "$1") deb=$(realpath "$2") work=$3
heading="### Debian and Ubuntu"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
[ "$(id -u)" = 0 ] || fail "run as root: the section installs a package"

section=$(awk -v h="$heading" '$0 == h { on = 1; next } on && /^##/ { exit } on' "$readme")
[ -n "$section" ] || fail "no section \"$heading\""
rm -rf "$work" && mkdir -p "$work" && cd "$work"
cp "$deb" .
awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' <<<"$section" >commands.sh
[ -s commands.sh ] || fail "the section holds no commands"
apt() { DEBIAN_FRONTEND=noninteractive command apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@"; }
export -f apt
env -u FREI0R_PATH PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -euo pipefail commands.sh >commands.log 2>&1 || fail "$(tail -n 20 commands.log)"

[ "$(command -v zarvo-neon)" = /usr/bin/zarvo-neon ] || fail "zarvo-neon is not the package's"
for f in logo.png logo-neon.png background.png neon-over-background.png neon-melt.mp4; do
    [ -s "$f" ] || fail "$f was not written"
done
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 neon-melt.mp4)
[ "$frames" = 48 ] || fail "neon-melt.mp4 holds $frames frames, not 48"
# The neon must reach the files: the composite differs from the background it was laid on.
pixels() { ffmpeg -nostdin -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | md5sum; }
[ "$(pixels background.png)" != "$(pixels neon-over-background.png)" ] ||
    fail "the filter left the background as it was"
echo "The README's Debian section ran as written"
