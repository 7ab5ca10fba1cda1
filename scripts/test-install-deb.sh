#!/usr/bin/env bash
# The Debian package as a user gets it: installed by apt with its dependencies, then used from
# the PATH in an empty folder, with nothing of a build in reach and FREI0R_PATH unset: the
# command renders and writes the sample, ffmpeg and melt find the frei0r filter in the system's
# own folder (ffmpeg's frame equal to the command's render), man finds the manual page,
# bash-completion loads the completion. Then the package is purged and none of its files may
# remain. Run as root; installs ffmpeg, melt, man-db and bash-completion when missing. The
# package is purged whatever happens. Exits non-zero naming every failed check.
#   scripts/test-install-deb.sh DEB
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ] || [ "$1" = -h ] || [ "$1" = --help ]; then
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    [ $# -eq 1 ] && exit 0 || exit 2
fi
[ -f "$1" ] || { echo "test-install-deb.sh: $1: no such file" >&2; exit 2; }
deb=$(realpath "$1")
[ "$(id -u)" = 0 ] || { echo "test-install-deb.sh: run as root: it installs and purges the package" >&2; exit 2; }
"$root/scripts/need-packages.sh" ffmpeg melt man-db bash-completion

failures=()
failed() {
    echo "FAIL: $*" >&2
    failures+=("$*")
}
apt() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@"; }
work=$(mktemp -d)
chmod 755 "$work"
finish() {
    if dpkg -s zarvo-neon >/dev/null 2>&1; then
        apt purge zarvo-neon >/dev/null 2>&1 || echo "test-install-deb.sh: could not purge zarvo-neon" >&2
    fi
    rm -rf "$work"
}
trap finish EXIT

# A path with a slash (./): apt takes it as a package file, not a name to look up. Stale package
# lists may lack a dependency: they are refreshed once if so.
install_deb() { (cd "$(dirname "$deb")" && apt install "./$(basename "$deb")") >"$work/apt.log" 2>&1; }
if ! install_deb && ! { apt update >/dev/null 2>&1 && install_deb; }; then
    echo "FAIL: apt-get install ./$(basename "$deb"):" >&2
    tail -n 20 "$work/apt.log" >&2
    exit 1
fi
listed=$(dpkg -L zarvo-neon)
echo "== dpkg -L zarvo-neon"
echo "$listed"

# As a user's shell has it: the system's PATH, no FREI0R_PATH, no library path, an empty folder.
scratch=$work/scratch
mkdir "$scratch"
cd "$scratch"
user() { env -i HOME="$scratch" LANG=C.UTF-8 PATH=/usr/local/bin:/usr/bin:/bin "$@"; }
quiet() { "$@" >"$work/out.log" 2>&1 || { tail -n 5 "$work/out.log" >&2; return 1; }; }
is_png() { [ -s "$1" ] && [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
pixels() { ffmpeg -nostdin -v error -i "$1" -f rawvideo -pix_fmt rgba - | md5sum; }

[ "$(user sh -c 'command -v zarvo-neon')" = /usr/bin/zarvo-neon ] ||
    failed "zarvo-neon on the PATH is not /usr/bin/zarvo-neon"
{ quiet user zarvo-neon render --sample -o x.png && is_png x.png; } ||
    failed "zarvo-neon render --sample -o x.png wrote no PNG"
{ quiet user zarvo-neon sample -o logo.png && is_png logo.png; } ||
    failed "zarvo-neon sample -o logo.png wrote no PNG"

if [ -s logo.png ]; then
    { quiet user ffmpeg -nostdin -v error -i logo.png -vf frei0r=zarvo_neon -frames:v 1 -y \
        ffmpeg-neon.png && is_png ffmpeg-neon.png; } ||
        failed "ffmpeg -vf frei0r=zarvo_neon wrote no frame"
    # The filter renders as the command does: a frame passed through unfiltered would differ.
    if is_png ffmpeg-neon.png && quiet user zarvo-neon render -q -i logo.png -o neon.png; then
        [ "$(pixels ffmpeg-neon.png)" = "$(pixels neon.png)" ] ||
            failed "ffmpeg's frame through the filter differs from zarvo-neon render's"
    fi
fi
query=$(user melt -query filter=frei0r.zarvo_neon 2>/dev/null) || true
grep -q '^identifier: frei0r.zarvo_neon$' <<<"$query" ||
    failed "melt -query filter=frei0r.zarvo_neon does not find the filter"

page=$(user man -w zarvo-neon 2>/dev/null) || true
[ "$page" = /usr/share/man/man1/zarvo-neon.1.gz ] ||
    failed "man -w zarvo-neon finds ${page:-nothing} (a path-exclude in /etc/dpkg/dpkg.cfg.d?)"
loaded=$(user bash -c 'source /usr/share/bash-completion/bash_completion &&
    __load_completion zarvo-neon && complete -p zarvo-neon' 2>/dev/null) || true
[ "$loaded" = "complete -F _zarvo_neon zarvo-neon" ] ||
    failed "bash-completion does not load a completion for zarvo-neon"

cd /
if ! apt purge zarvo-neon >"$work/apt.log" 2>&1; then
    failed "apt-get purge zarvo-neon: $(tail -n 5 "$work/apt.log")"
elif dpkg -s zarvo-neon >/dev/null 2>&1; then
    failed "zarvo-neon is still known to dpkg after the purge"
fi
# Folders may stay where they hold others' files or belong to other packages; nothing else may.
while IFS= read -r path; do
    [ "$path" = /. ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
            failed "the purge left the empty folder $path"
        fi
    elif [ -e "$path" ] || [ -L "$path" ]; then
        failed "the purge left $path"
    fi
done <<<"$listed"

if [ ${#failures[@]} -gt 0 ]; then
    echo "test-install-deb.sh: ${#failures[@]} check(s) failed:" >&2
    printf '  %s\n' "${failures[@]}" >&2
    exit 1
fi
echo "The package installed, worked from the PATH and purged without a trace"
