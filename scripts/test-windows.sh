#!/usr/bin/env bash
# The Windows check: cross-builds ZarvoNeon.aex and zarvo-neon.exe with MinGW-w64, runs them
# under Wine (real WGL, over Mesa under Xvfb) and compares them with the Linux build: the About
# text, the controls, and renders byte for byte. Also checks what the module exports and imports,
# its PiPL resource byte for byte, both files' version resources, and that modules without a PiPL
# or an entry point are refused.
# Installs what is missing (root or sudo) and builds the Linux tree first. Exits non-zero on any
# difference.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
self="$root/scripts/$(basename "$0")"
cd "$root"
win=build-windows
linux=build/bin/zarvo-neon
windows="$root/$win/bin/zarvo-neon.exe"

# The renders: every input with every setting. Each entry holds one run's arguments, separated
# by ';' (names and values have spaces).
settings=(
    ""
    "--set;Quality=Extreme;--set;Neon Type=Inner Neon"
    "--set;Quality=High;--set;Composite=Neon And Origin;--set;Color Type=Gradient"
    "--set;Quality=Medium;--set;Color Type=Random;--set;Random Seed=7;--set;Glow Random=40;--set;Direction=Random;--set;Visibility=60"
    "--set;Neon Type=Outer Neon;--set;Color Type=Gradient;--set;Stroke Count=5;--set;Smooth=6;--downsample;2"
    "--set;Composite=Neon And Origin;--set;Quality=Low;--threads;2"
    "--set;Neon Type=Inner Neon;--set;Smooth=1;--set;Color Count=5;--set;Stroke Count=1"
)
inputs=("--sample" "-i;ring.pam" "-i;bar.pam")
renders=()
for setting in "${settings[@]}"; do
    for input in "${inputs[@]}"; do
        renders+=("$input;$setting")
    done
done

# The Windows runs, in the folder $1, each leaving its output and its exit status there for the
# comparisons. The check runs this part again under Xvfb, so that every run goes through one
# display and one wine server.
windows_runs() {
    cd "$1"
    set +e # a failing run is reported by the comparisons, with its output
    wineserver -p 2>/dev/null
    wine "$windows" about > about.win 2> about.win.err; echo $? > about.win.rc
    wine "$windows" params > params.win 2> params.win.err; echo $? > params.win.rc
    local fixture n args
    for fixture in NoPiPL NoEntryPoint NotAnEffect; do
        wine "$windows" --module "$root/$win/fixtures/$fixture.aex" about > "$fixture.win" 2>&1
        echo $? > "$fixture.win.rc"
    done
    wine "$windows" header -o header.png > header.win 2>&1; echo $? > header.win.rc
    for n in "${!renders[@]}"; do
        IFS=';' read -ra args <<< "${renders[n]}"
        wine "$windows" render "${args[@]}" -o "render$((n + 1)).win.pam" \
            > "render$((n + 1)).win.log" 2>&1
        echo $? > "render$((n + 1)).win.rc"
    done
    wineserver -k 2>/dev/null
}
if [ -n "${ZARVO_WINDOWS_RUNS:-}" ]; then
    windows_runs "$ZARVO_WINDOWS_RUNS"
    exit 0
fi

started=$SECONDS
phase_started=$SECONDS
phase() {
    echo "== $1 (after $((SECONDS - phase_started)) s; $((SECONDS - started)) s in all)"
    phase_started=$SECONDS
}

scripts/need-packages.sh g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 wine wine64 xvfb xauth perl cmake make
phase "packages"

scripts/setup.sh >/dev/null
phase "Linux build"

glbinding="$(scripts/build-glbinding-mingw.sh | tail -n 1)"
phase "glbinding for MinGW-w64 ($glbinding)"

cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -Dglbinding_DIR="$glbinding/cmake" >/dev/null
cmake --build "$win" -j"$(nproc)" >/dev/null
phase "Windows build"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Exports and imports, read from the files themselves.
objdump=x86_64-w64-mingw32-objdump
exports="$($objdump -p "$win/bin/ZarvoNeon.aex" |
    awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next} table && /^\t\[/ {print $NF} table && /^$/ {table = 0}')"
[ "$exports" = "EntryPointFunc" ] || fail "ZarvoNeon.aex exports '$(echo $exports)', not EntryPointFunc alone"
system_dlls=" kernel32.dll user32.dll gdi32.dll opengl32.dll glu32.dll shell32.dll msvcrt.dll advapi32.dll "
for binary in "$win/bin/ZarvoNeon.aex" "$win/bin/zarvo-neon.exe"; do
    imports="$($objdump -p "$binary" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)"
    for dll in $imports; do
        [[ "$system_dlls" == *" $dll "* ]] || fail "$(basename "$binary") imports $dll, not a system DLL"
    done
    echo "$(basename "$binary") imports: $(echo $imports)"
done
# The PiPL resource, byte for byte, by the checker that CTest runs on the Linux module.
build/bin/zarvo_pipl_check "$win/bin/ZarvoNeon.aex" ||
    fail "ZarvoNeon.aex: its PiPL resource is not the expected bytes (above)"
# The version resource of both files, against the release version; and the checker tells a file
# of another version.
version="$(cmake -P cmake/Version.cmake)"
for binary in "$win/bin/ZarvoNeon.aex" "$win/bin/zarvo-neon.exe"; do
    build/bin/zarvo_version_check "$binary" --version "$version" >/dev/null ||
        fail "$(basename "$binary"): its version resource is not version $version's (above)"
done
if build/bin/zarvo_version_check "$win/fixtures/NewerZarvoNeon.aex" --version "$version" \
    >/dev/null 2>&1; then
    fail "zarvo_version_check takes NewerZarvoNeon.aex for version $version"
fi

# Wine with a prefix of its own, made once and kept outside the work tree.
export WINEPREFIX="${ZARVO_CACHE:-${HOME:-/tmp}/.cache/zarvo-neon}/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1
fi
# A wine server left from another session keeps its desktop, and one made without a display
# has no OpenGL: every run below starts a server of its own under Xvfb.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
phase "Wine prefix"

# ZARVO_WINDOWS_CHECK_DIR keeps every output for a look afterwards.
if [ -n "${ZARVO_WINDOWS_CHECK_DIR:-}" ]; then
    out="$(mkdir -p "$ZARVO_WINDOWS_CHECK_DIR" && cd "$ZARVO_WINDOWS_CHECK_DIR" && pwd)"
else
    out="$(mktemp -d)"
    trap 'rm -rf "$out"' EXIT
fi
perl scripts/test-layers.pl "$out"
ZARVO_WINDOWS_RUNS="$out" xvfb-run -a -s "-screen 0 640x480x24" bash "$self"
phase "Windows runs under Wine"

(cd "$out" && "$root/$linux" about > about.linux && "$root/$linux" params > params.linux)
for what in about params; do
    [ "$(cat "$out/$what.win.rc")" = 0 ] || fail "$what failed under Wine: $(cat "$out/$what.win.err")"
    if ! diff <(tr -d '\r' < "$out/$what.win") "$out/$what.linux" >/dev/null; then
        fail "$what differs from the Linux build's:"
        diff <(tr -d '\r' < "$out/$what.win") "$out/$what.linux" >&2 || true
    fi
done

expect_refusal() {
    local fixture=$1 message=$2
    if [ "$(cat "$out/$fixture.win.rc")" = 0 ] || ! grep -q "$message" "$out/$fixture.win"; then
        fail "$fixture.aex was not refused with '$message': $(cat "$out/$fixture.win")"
    fi
}
expect_refusal NoPiPL "has no PiPL resource: it is not an effect module"
expect_refusal NoEntryPoint "has no 64-bit entry point"
expect_refusal NotAnEffect "is not an effect (its PiPL kind is 'AEgx'"
expect_refusal header "not available in this build"

compared=0
n=0
for render in "${renders[@]}"; do
    n=$((n + 1))
    IFS=';' read -ra args <<< "$render"
    label="render$(printf ' %q' "${args[@]}")"
    if [ "$(cat "$out/render$n.win.rc")" != 0 ]; then
        fail "$label failed under Wine: $(tail -n 3 "$out/render$n.win.log")"
        continue
    fi
    (cd "$out" && "$root/$linux" render "${args[@]}" -o "render$n.linux.pam" >/dev/null)
    if ! cmp -s "$out/render$n.win.pam" "$out/render$n.linux.pam"; then
        differing=$(cmp -l "$out/render$n.win.pam" "$out/render$n.linux.pam" 2>/dev/null | wc -l)
        fail "$label: the Windows frame differs from the Linux frame ($differing bytes)"
        continue
    fi
    compared=$((compared + 1))
done
echo "$compared of $n renders byte-identical to the Linux build's"
# Every setting must tell in the frame, or a control that never reaches the module would pass.
distinct=$(md5sum "$out"/render*.win.pam | awk '{print $1}' | sort -u | wc -l)
[ "$distinct" = "$n" ] || fail "only $distinct of the $n Windows frames differ from each other"
phase "comparisons"

if [ "$failures" -gt 0 ]; then
    echo "Windows check FAILED: $failures problem(s)" >&2
    exit 1
fi
echo "Windows check passed in $((SECONDS - started)) s"
