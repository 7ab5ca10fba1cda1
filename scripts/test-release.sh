#!/usr/bin/env bash
# The release check: makes the releases (scripts/release.sh) into dist/, makes them again from
# empty build folders elsewhere and requires the .deb and the .zip byte-identical, then installs
# them as users do: the Windows installer under Wine (two After Effects versions faked, a newer
# copy kept, the uninstaller), the README's Debian section as written, and the Debian package's
# install test (the command, the filter, the manual page, then a purge that leaves nothing).
# Run as root (it installs and purges the package). Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
started=$SECONDS
step() { echo "== $1 ($((SECONDS - started)) s in all)"; }
# A failure half-way leaves no package of ours installed (one installed before is left alone).
if ! dpkg -s zarvo-neon >/dev/null 2>&1; then
    trap 'dpkg -s zarvo-neon >/dev/null 2>&1 && apt-get purge -y -qq zarvo-neon >/dev/null 2>&1' EXIT
fi

scripts/release.sh --out dist --build build-release/first
step "release"
again=build-release/again
scripts/release.sh --out "$again/dist" --build "$again" >/dev/null 2>&1 ||
    { echo "FAIL: the second release build failed" >&2; exit 1; }
version="$(cmake -P cmake/Version.cmake)"
for artifact in "ZarvoNeon-$version-win64.zip" "zarvo-neon_${version}_amd64.deb"; do
    if ! cmp "dist/$artifact" "$again/dist/$artifact"; then
        echo "FAIL: $artifact differs between two builds of one commit" >&2
        exit 1
    fi
done
echo "The .deb and the .zip are byte-identical from two build folders"
step "second release"

ZARVO_WINDOWS_BUILD=build-release/first/windows \
    scripts/test-installer-windows.sh "dist/ZarvoNeon-$version-win64-setup.exe"
step "Windows installer under Wine"
tests/install/readme-user-commands.sh README.md "dist/zarvo-neon_${version}_amd64.deb" \
    build-release/readme
step "README's Debian section"
scripts/test-install-deb.sh "dist/zarvo-neon_${version}_amd64.deb"
step "Debian package installed and purged"
echo "Release check passed in $((SECONDS - started)) s"
