#!/usr/bin/env bash
# Builds glbinding, from Debian's own source package, as a static library for 64-bit Windows
# (MinGW-w64), once per machine. The result is cached outside the work tree, keyed by version:
#   ${ZARVO_CACHE:-~/.cache/zarvo-neon}/glbinding-<version>-mingw64
# Prints the install prefix on its last line. Needs root or sudo only when packages are missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
version=2.1.1
cache="${ZARVO_CACHE:-${HOME:-/tmp}/.cache/zarvo-neon}"
prefix="$cache/glbinding-$version-mingw64"

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# A deb-src entry mirroring the configured Debian source. A one-line deb-src beside the
# deb822 file clashes over Signed-By, so it is a .sources file of its own.
src_list=/etc/apt/sources.list.d/zarvo-neon-src.sources
source_version() {
    apt-cache showsrc glbinding 2>/dev/null | awk -v v="$version" \
        '$1 == "Version:" && index($2, v "-") == 1 {print $2; exit}'
}
if [ -z "$(source_version)" ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    main=/etc/apt/sources.list.d/debian.sources
    uri=http://deb.debian.org/debian
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    if [ -f "$main" ]; then
        uri="$(awk '/^URIs:/ {print $2; exit}' "$main")"
        keyring="$(awk '/^Signed-By:/ {print $2; exit}' "$main")"
    fi
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
        "$uri" "$codename" "$keyring" | "${sudo_cmd[@]}" tee "$src_list" >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
fi
"$root/scripts/need-packages.sh" cmake make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    dpkg-dev

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
package_version="$(source_version)"
[ -n "$package_version" ] || { echo "build-glbinding-mingw: Debian has no glbinding $version source" >&2; exit 1; }
(cd "$work" && apt-get source -qq "glbinding=$package_version" >&2)
source_dir="$(find "$work" -maxdepth 1 -type d -name "glbinding-$version*" | head -n 1)"
[ -n "$source_dir" ] || { echo "build-glbinding-mingw: no glbinding $version source" >&2; exit 1; }

echo "Building glbinding $version for MinGW-w64 (several minutes, once per machine)" >&2
rm -rf "$prefix.partial"
cmake -S "$source_dir" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix.partial" \
    -DBUILD_SHARED_LIBS=OFF -DOPTION_BUILD_TESTS=OFF -DOPTION_BUILD_GPU_TESTS=OFF \
    -DOPTION_BUILD_TOOLS=OFF -DOPTION_BUILD_EXAMPLES=OFF -DOPTION_BUILD_DOCS=OFF \
    -DOPTION_SELF_CONTAINED=OFF >&2
cmake --build "$work/build" -j"$(nproc)" >&2
cmake --install "$work/build" >&2
touch "$prefix.partial/.complete"
mkdir -p "$cache"
rm -rf "$prefix"
mv "$prefix.partial" "$prefix"
echo "$prefix"
