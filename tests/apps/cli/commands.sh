#!/usr/bin/env bash
# The command's own files and the way it finds its module.
#   sample ZARVO_NEON WORK
#       `sample -o` writes the layer `render --sample` takes: rendered with -i, the same bytes
#   installed CMAKE BUILD WORK
#       the installed tree (bin/, lib/zarvo-neon/) finds its module after being moved as a whole,
#       and without the module says where it looked
#   timings ZARVO_NEON WORK
#       `render --timings` names every stage with its passes (the jump flood's follow the
#       Quality), a resolve only for a multisampled layer, and changes no byte of the frame
#   completion SCRIPT WORK
#       the bash completion offers subcommands, options, control names (quoted or escaped) and
#       file names
set -euo pipefail

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

case "$1" in
sample)
    cli=$2 work=$3
    rm -rf "$work" && mkdir -p "$work" && cd "$work"
    "$cli" sample -o layer.png
    "$cli" render -q -i layer.png -o from-file.pam
    "$cli" render -q --sample -o built-in.pam
    cmp from-file.pam built-in.pam || fail "the written sample renders differently"
    ;;

timings)
    cli=$2 work=$3
    rm -rf "$work" && mkdir -p "$work" && cd "$work"
    "$cli" sample -o small.png --width 320 --height 200
    "$cli" render -q -i small.png -o plain.pam
    "$cli" render -q -i small.png -o timed.pam --timings 2>low.txt
    cmp plain.pam timed.pam || fail "timing a frame changed it"
    for stage in upload seeds "jump flood" blur "stroke table" "stroke profile" strokes \
        read-back "stages in all" wall; do
        grep -Eq "^  $stage +[0-9]+\.[0-9]+ ms" low.txt || fail "no $stage line: $(cat low.txt)"
    done
    head -1 low.txt | grep -qx "frame 0, 320 x 200:" || fail "first line: $(head -1 low.txt)"
    # Low: a quarter-size map, reach 160 px = 40 texels, steps 32..1 and the seeds' own pass.
    grep -q "jump flood .* 7 passes" low.txt || fail "Low's flood: $(cat low.txt)"
    ! grep -q resolve low.txt || fail "Only Neon has no multisampled layer to resolve"
    ! grep -q conversion low.txt || fail "Only Neon draws the host's order in its stroke pass"
    "$cli" render -q -i small.png -o extreme.pam --timings --set Quality=Extreme \
        --set "Composite=Neon And Origin" 2>extreme.txt
    grep -q "jump flood .* 9 passes" extreme.txt || fail "Extreme's flood: $(cat extreme.txt)"
    grep -Eq "^  resolve +[0-9]" extreme.txt || fail "no resolve: $(cat extreme.txt)"
    grep -Eq "^  conversion +[0-9]" extreme.txt || fail "no conversion: $(cat extreme.txt)"
    ;;

installed)
    cmake=$2 build=$3 work=$4
    rm -rf "$work" && mkdir -p "$work"
    "$cmake" --install "$build" --component command --prefix "$work/prefix" >/dev/null
    mv "$work/prefix" "$work/moved"
    about=$("$work/moved/bin/zarvo-neon" about) || fail "the moved tree does not run"
    [[ $about == "Zarvo Neon v"* ]] || fail "about printed: $about"
    rm "$work/moved/lib/zarvo-neon/ZarvoNeon.aex"
    if message=$("$work/moved/bin/zarvo-neon" about 2>&1); then
        fail "about ran without a module"
    fi
    [[ $message == *"$work/moved/bin/ZarvoNeon.aex"*"$work/moved/lib/zarvo-neon/ZarvoNeon.aex"* ]] ||
        fail "the message does not name both places: $message"
    ;;

completion)
    script=$2 work=$3
    rm -rf "$work" && mkdir -p "$work" && cd "$work"
    touch logo.png
    # shellcheck disable=SC1090
    source "$script"
    # WANT WORD...: completes the last WORD as bash would, and compares the replies, one a line.
    expect() {
        local want=$1
        shift
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        # compopt fails outside a completion; bash ignores what a completion function returns
        _zarvo_neon zarvo-neon "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" || :
        local got
        got=$(printf '%s\n' "${COMPREPLY[@]}")
        [ "$got" = "$want" ] || fail "zarvo-neon ${*:2}<TAB> gave '$got', not '$want'"
    }
    expect render zarvo-neon re
    expect --set zarvo-neon render --se
    expect --key zarvo-neon --module header render --ke
    expect "Neon Type=" zarvo-neon render --set '"Neon T'
    expect $'Glow\\ Random=\nGlow\\ Random\\ Seed=' zarvo-neon render --set 'Glow\ R'
    expect "Color Count=" zarvo-neon params --set "'Color C"
    expect logo.png zarvo-neon sample -o lo
    ;;

*)
    fail "unknown case $1"
    ;;
esac
