#!/usr/bin/env bash
# The frei0r filter end to end through Debian's ffmpeg.
#   install CMAKE BUILD PREFIX COMPONENT FILE...
#       installs COMPONENT (the plug-in, or an editor's description of it) into PREFIX and
#       checks that the FILEs are all that is there
#   SequenceMatchesTheCommand PLUGIN_DIR ZARVO_NEON WORK
#       a PNG sequence of a moving shape, filtered by ffmpeg with controls other than the
#       defaults, gives frames byte-identical to `zarvo-neon render` of each frame with the same
#       controls; ffmpeg writes the frames to standard output, which the plug-in leaves alone
#   VideoEncodes PLUGIN_DIR ZARVO_NEON WORK
#       a short video through the filter encodes to H.264 without error, every frame kept
set -euo pipefail

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# A disc with a soft edge moving right, its red, green and blue all different, so a swapped
# channel shows; colour stays where alpha is 0, as straight alpha allows.
shape() { # SECONDS OUTPUT...
    local disc="clip(11-hypot(X-14-5*N\,Y-24)\,0\,1)"
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi \
        -i "color=c=black:s=64x48:r=10:d=$1,format=rgba,geq=r=230:g=40+N*50:b=X*3:a=255*$disc" \
        "${@:2}"
}

case "$1" in
install)
    cmake=$2 build=$3 prefix=$4 component=$5
    rm -rf "$prefix"
    "$cmake" --install "$build" --component "$component" --prefix "$prefix" >/dev/null
    installed=$(cd "$prefix" && find . ! -type d | sort)
    expected=$(printf './%s\n' "${@:6}" | sort)
    [ "$installed" = "$expected" ] || fail "installed: $installed"
    ;;

SequenceMatchesTheCommand)
    export FREI0R_PATH=$2
    cli=$3 work=$4
    rm -rf "$work" && mkdir -p "$work" && cd "$work"
    shape 0.4 in%03d.png
    # The same controls in both forms: frei0r numbers span each slider (Stroke Count 1 to 5:
    # 0.75 is 4), popups by name, colours as ffmpeg writes them.
    controls=(
        "Neon Type=Outer Neon" "Outer Neon"
        "Stroke Count=4" 0.75
        "Start Distance=2" 0.005
        "End Distance=12" 0.02757
        "Stroke Width=6" 0.02084
        "Direction=Outer->Inner" "Outer->Inner"
        "Visibility=80" 0.8
        "Visibility Seed=5" 0.05
        "Color Type=Gradient" Gradient
        "Color Count=4" 0.4286
        "Color 1=#FF00AA" 0xFF00AA
        "Color 2=#FFFF00" yellow
        "Color 3=#19FF19" 0.098/1/0.098
        "Color 4=#00FFFF" 0x00FFFF
        "Color 5=#1919FF" 0x1919FF
        "Color 6=#1919FF" 0x1919FF
        "Color 7=#1919FF" 0x1919FF
        "Color 8=#1919FF" 0x1919FF
        "Random Seed=0" 0
        "Glow Size=8" 0.0707
        "Glow Opacity=60" 0.6
        "Glow Random=25" 0.25
        "Glow Random Seed=7" 0.07
        "Smooth=3" 0.10526
        "Composite=Neon And Origin" "Neon And Origin"
        "Quality=High" High
    )
    sets=() params=""
    for ((i = 0; i < ${#controls[@]}; i += 2)); do
        sets+=(--set "${controls[i]}")
        params+="${params:+|}${controls[i + 1]}"
    done
    ffmpeg -nostdin -hide_banner -loglevel error -i in%03d.png \
        -vf "format=rgba,frei0r=filter_name=zarvo_neon:filter_params=$params" \
        -f rawvideo -pix_fmt rgba - >ffmpeg.rgba 2>ffmpeg.log || fail "ffmpeg: $(cat ffmpeg.log)"
    ! grep "zarvo_neon:" ffmpeg.log || fail "the filter reported a fault"

    frame_bytes=$((64 * 48 * 4))
    : >command.rgba
    for png in in*.png; do
        "$cli" render -i "$png" -o "${png%.png}.pam" "${sets[@]}" >/dev/null
        tail -c "$frame_bytes" "${png%.png}.pam" >>command.rgba
    done
    [ "$(stat -c %s command.rgba)" -eq $((4 * frame_bytes)) ] || fail "expected 4 frames"
    cmp ffmpeg.rgba command.rgba || fail "ffmpeg's frames differ from zarvo-neon render's"
    # Not a pass-through: the input frames differ from the output.
    ffmpeg -nostdin -hide_banner -loglevel error -i in%03d.png -f rawvideo -pix_fmt rgba - \
        >input.rgba
    ! cmp -s input.rgba ffmpeg.rgba || fail "the frames came through unchanged"
    ;;

VideoEncodes)
    export FREI0R_PATH=$2
    work=$4
    rm -rf "$work" && mkdir -p "$work" && cd "$work"
    shape 1 -c:v ffv1 shape.mkv
    ffmpeg -nostdin -hide_banner -loglevel error -i shape.mkv \
        -vf "format=rgba,frei0r=zarvo_neon:Inner Neon|0.5|0.01,format=yuv420p" \
        -c:v libx264 -preset ultrafast neon.mp4 2>ffmpeg.log || fail "ffmpeg: $(cat ffmpeg.log)"
    ! grep "zarvo_neon:" ffmpeg.log || fail "the filter reported a fault"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=nb_read_frames -of csv=p=0 neon.mp4)
    [ "$frames" = 10 ] || fail "neon.mp4 holds $frames frames, not 10"
    ;;

*)
    fail "unknown case $1"
    ;;
esac
