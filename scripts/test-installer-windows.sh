#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh copy of the Windows check's Wine prefix, with two
# After Effects versions faked in the registry (and a third whose plug-in folder is missing):
#   - a silent install puts ZarvoNeon.aex into both Zarvo folders and the command and the
#     uninstaller into Program Files, and lists itself in Add/Remove Programs;
#   - the installed command renders through each installed copy as the Linux build does;
#   - a second install leaves a newer copy and replaces one without a version;
#   - /S /D=<folder> installs into that folder alone;
#   - the silent uninstall removes what the installs wrote and nothing else;
#   - with no After Effects and no /D=, or a folder that cannot be made, it fails with exit code 2
#     and a message.
# Usage: scripts/test-installer-windows.sh SETUP_EXE
# Needs the Linux build (build/: zarvo-neon, zarvo_version_check), the Windows build the setup
# was made from (build-windows/, or ZARVO_WINDOWS_BUILD: bin/ZarvoNeon.aex, bin/zarvo-neon.exe)
# and the Windows test fixtures (build-windows/fixtures/: NewerZarvoNeon.aex, NoPiPL.aex), as
# scripts/test-windows.sh leaves them. Exits non-zero naming each failure.
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 SETUP_EXE" >&2
    exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
cd "$root"
linux="$root/build/bin/zarvo-neon"
version_check="$root/build/bin/zarvo_version_check"
win="$(cd "${ZARVO_WINDOWS_BUILD:-build-windows}" && pwd)"
module="$win/bin/ZarvoNeon.aex"
command="$win/bin/zarvo-neon.exe"
fixtures="$root/build-windows/fixtures"
newer="$fixtures/NewerZarvoNeon.aex"
unversioned="$fixtures/NoPiPL.aex"
for need in "$linux" "$version_check" "$module" "$command" "$newer" "$unversioned"; do
    if [ ! -f "$need" ]; then
        echo "$need is missing: run scripts/test-windows.sh first" >&2
        exit 2
    fi
done

scripts/need-packages.sh wine wine64 xvfb xauth perl
# Everything below runs under one Xvfb, so that the Wine server has a display and OpenGL.
if [ -z "${ZARVO_INSTALLER_XVFB:-}" ]; then
    exec env ZARVO_INSTALLER_XVFB=1 xvfb-run -a -s "-screen 0 640x480x24" "$0" "$setup"
fi

version="$(cmake -P cmake/Version.cmake)"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A fresh copy of the Windows check's prefix (made as it makes it), gone afterwards.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
base="${ZARVO_CACHE:-${HOME:-/tmp}/.cache/zarvo-neon}/wineprefix"
if [ ! -f "$base/system.reg" ]; then
    mkdir -p "$base"
    WINEPREFIX="$base" wine wineboot --init >/dev/null 2>&1
    WINEPREFIX="$base" wineserver -w
fi
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -a "$base" "$WINEPREFIX"
drive="$WINEPREFIX/drive_c"
out="$work/out"
mkdir -p "$out"
perl scripts/test-layers.pl "$out"

ae_key='HKLM\SOFTWARE\Adobe\After Effects'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZarvoNeon'
program_dir="$drive/Program Files/Zarvo Neon"
declare -A plugins=(
    [23.0]='C:\Program Files\Adobe\Adobe After Effects 2023\Support Files\Plug-ins'
    [24.0]='C:\Program Files\Adobe\Adobe After Effects 2024\Support Files\Plug-ins\'
)
unix_path() { # a C:\ path in the prefix
    local path="${1%\\}"
    path="${path#C:\\}"
    echo "$drive/${path//\\//}"
}
old_ae="$drive/Program Files/Adobe/Adobe After Effects 2022"
fake_after_effects() {
    for v in "${!plugins[@]}"; do
        mkdir -p "$(unix_path "${plugins[$v]}")"
        wine reg add "$ae_key\\$v" /v PluginInstallPath /d "${plugins[$v]}" /f /reg:64 >/dev/null
    done
    # Removed, its plug-in folder gone: nothing goes there.
    wine reg add "$ae_key\\22.0" /v PluginInstallPath /d 'C:\Program Files\Adobe\Adobe After Effects 2022\Support Files\Plug-ins' /f /reg:64 >/dev/null
}
zarvo_folder() { echo "$(unix_path "${plugins[$1]}")/Zarvo"; }

# Runs the installer with the given arguments; its output in $out/$name.out and .err.
run_setup() {
    local name=$1
    shift
    local rc=0
    wine "$setup" "$@" >"$out/$name.out" 2>"$out/$name.err" || rc=$?
    echo "$rc" >"$out/$name.rc"
}
expect_installed() { # what, file
    if [ ! -f "$2" ]; then
        fail "$1: $2 is missing"
    elif ! cmp -s "$2" "$module"; then
        fail "$1: $2 is not the built module"
    fi
}
registry_value() { # key, value name
    wine reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name {sub(/^ *[^ ]+ +[^ ]+ +/, ""); print}'
}

"$version_check" "$setup" | grep -q "^  file version  *$version\.0$" ||
    fail "$(basename "$setup") does not carry version $version.0"

# The first install: into every After Effects found.
fake_after_effects
run_setup first /S
if [ "$(cat "$out/first.rc")" != 0 ]; then
    fail "the silent install exited with $(cat "$out/first.rc"): $(cat "$out/first.err")"
fi
for v in 23.0 24.0; do
    expect_installed "the silent install" "$(zarvo_folder "$v")/ZarvoNeon.aex"
    grep -qF "${plugins[$v]%\\}\\Zarvo" "$out/first.out" ||
        fail "the silent install does not report $v's folder: $(cat "$out/first.out")"
done
[ ! -e "$old_ae" ] || fail "the silent install made the missing plug-in folder of 22.0"
cmp -s "$program_dir/zarvo-neon.exe" "$command" || fail "Program Files holds no zarvo-neon.exe"
[ -f "$program_dir/uninstall.exe" ] || fail "Program Files holds no uninstall.exe"
[ "$(registry_value "$uninstall_key" DisplayVersion)" = "$version" ] ||
    fail "Add/Remove Programs does not list version $version"
[ "$(registry_value "$uninstall_key" QuietUninstallString)" = '"C:\Program Files\Zarvo Neon\uninstall.exe" /S' ] ||
    fail "Add/Remove Programs has no QuietUninstallString"

# The installed command renders through each installed copy as the Linux build does.
(cd "$out" && "$linux" render --sample -o sample.linux.pam >linux.log 2>&1 &&
    "$linux" render -i ring.pam --set Quality=High -o ring.linux.pam >>linux.log 2>&1) ||
    fail "the Linux build's renders failed: $(tail -n 3 "$out/linux.log")"
for v in 23.0 24.0; do
    copy="${plugins[$v]%\\}\\Zarvo\\ZarvoNeon.aex"
    for input in "--sample:sample" "-i ring.pam --set Quality=High:ring"; do
        args=${input%:*}
        name=${input##*:}
        rc=0
        (cd "$out" && wine "C:\\Program Files\\Zarvo Neon\\zarvo-neon.exe" render --module "$copy" \
            $args -o "$name.$v.pam" >"$name.$v.log" 2>&1) || rc=$?
        if [ "$rc" != 0 ]; then
            fail "render $args through $v's copy exited with $rc: $(tail -n 3 "$out/$name.$v.log")"
        elif ! cmp -s "$out/$name.$v.pam" "$out/$name.linux.pam"; then
            fail "render $args through $v's copy differs from the Linux build's"
        fi
    done
done

# Again over a newer copy (left) and one without a version (replaced).
cp "$newer" "$(zarvo_folder 23.0)/ZarvoNeon.aex"
cp "$unversioned" "$(zarvo_folder 24.0)/ZarvoNeon.aex"
run_setup second /S
[ "$(cat "$out/second.rc")" = 0 ] || fail "the second install exited with $(cat "$out/second.rc")"
cmp -s "$(zarvo_folder 23.0)/ZarvoNeon.aex" "$newer" || fail "the second install replaced a newer copy"
expect_installed "the second install" "$(zarvo_folder 24.0)/ZarvoNeon.aex"
grep -q "newer copy" "$out/second.out" || fail "the second install does not report the newer copy"

# /D= names the folder: that one alone. Wine passes the words as one line, unquoted, as /D= needs.
custom="$drive/Studio Plug-ins/Zarvo Neon"
run_setup custom /S '/D=C:\Studio' 'Plug-ins\Zarvo' 'Neon'
[ "$(cat "$out/custom.rc")" = 0 ] || fail "/S /D= exited with $(cat "$out/custom.rc"): $(cat "$out/custom.err")"
expect_installed "/S /D=" "$custom/ZarvoNeon.aex"
if grep -q "After Effects" "$out/custom.out"; then
    fail "/S /D= installed into the After Effects folders too: $(cat "$out/custom.out")"
fi

# The silent uninstall copies itself away and returns at once: wait for every Wine process (the
# server ends a few seconds after the last).
rc=0
wine "C:\\Program Files\\Zarvo Neon\\uninstall.exe" /S >"$out/uninstall.out" 2>&1 || rc=$?
timeout 120 wineserver -w || fail "the uninstaller did not finish in 120 s"
[ "$rc" = 0 ] || fail "the uninstaller exited with $rc: $(cat "$out/uninstall.out")"
cmp -s "$(zarvo_folder 23.0)/ZarvoNeon.aex" "$newer" || fail "the uninstaller removed the newer copy"
[ ! -e "$(zarvo_folder 24.0)" ] || fail "the uninstaller left $(zarvo_folder 24.0)"
[ ! -e "$drive/Studio Plug-ins" ] || fail "the uninstaller left the folders it made for /D="
[ ! -e "$program_dir" ] || fail "the uninstaller left $program_dir: $(ls "$program_dir")"
for v in 23.0 24.0; do
    [ -d "$(unix_path "${plugins[$v]}")" ] || fail "the uninstaller removed $v's plug-in folder"
done
if wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1; then
    fail "the uninstaller left $uninstall_key"
fi

# Failures: exit code 2 and a message, nothing claimed.
wine reg delete "$ae_key" /f /reg:64 >/dev/null
run_setup none /S
if [ "$(cat "$out/none.rc")" != 2 ] || ! grep -q "No After Effects found" "$out/none.err"; then
    fail "with no After Effects and no /D=, the install exited with $(cat "$out/none.rc"): $(cat "$out/none.err")"
fi
[ ! -e "$program_dir" ] || fail "the install with nothing to install into wrote $program_dir"
blocked='C:\Blocked\Plug-ins'
mkdir -p "$(unix_path "$blocked")"
touch "$(unix_path "$blocked")/Zarvo" # a file where the folder must go
wine reg add "$ae_key\\25.0" /v PluginInstallPath /d "$blocked" /f /reg:64 >/dev/null
run_setup blocked /S
if [ "$(cat "$out/blocked.rc")" != 2 ] || ! grep -qF "$blocked\\Zarvo" "$out/blocked.err"; then
    fail "a folder that cannot be made: the install exited with $(cat "$out/blocked.rc"): $(cat "$out/blocked.err")"
fi

if [ "$failures" -gt 0 ]; then
    echo "Windows installer check FAILED: $failures problem(s)" >&2
    exit 1
fi
echo "Windows installer check passed: $(basename "$setup")"
