#!/usr/bin/env bash
# Builds the releases from the committed tree into dist/:
#   ZarvoNeon-<version>-win64-setup.exe  the Windows installer (NSIS, 64-bit)
#   ZarvoNeon-<version>-win64.zip        the module, zarvo-neon.exe and README.txt
#   zarvo-neon_<version>_amd64.deb       the command, the frei0r filter, the editors' files
#   SHA256SUMS
# The version is the effect's own (effect/controls/EffectInfo.h, as the About text shows it). Every build
# starts from empty build folders, with SOURCE_DATE_EPOCH from the commit, so the same commit
# gives the same .deb and .zip byte for byte. Installs what is missing (root, or sudo).
#   scripts/release.sh [--out DIR] [--build DIR]   (defaults: dist, build-release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
out=dist
builds=build-release
while [ $# -gt 0 ]; do
    case "$1" in
    --out) out=$2; shift 2 ;;
    --build) builds=$2; shift 2 ;;
    -h | --help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "release.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
    esac
done
started=$SECONDS
step() { echo "== $1 ($((SECONDS - started)) s)" >&2; }

if ! commit_time="$(git log -1 --format=%ct 2>/dev/null)"; then
    echo "release.sh: not a git checkout: the release's timestamps come from its commit" >&2
    exit 1
fi
export SOURCE_DATE_EPOCH="$commit_time"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release.sh: warning: uncommitted changes are built into this release" >&2
fi
version="$(cmake -P cmake/Version.cmake)"
echo "Zarvo Neon $version, commit $(git rev-parse --short HEAD) of $(date -u -d "@$SOURCE_DATE_EPOCH" +%F)" >&2

scripts/setup.sh --packages-only
scripts/need-packages.sh dpkg-dev fakeroot file lintian help2man nsis strip-nondeterminism
step "packages"

linux="$builds/linux"
rm -rf "$linux"
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DZARVO_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" -j"$(nproc)" >/dev/null
(cd "$linux" && cpack -G DEB >/dev/null)
step "Linux build and Debian package"

glbinding="$(scripts/build-glbinding-mingw.sh | tail -n 1)"
windows="$builds/windows"
rm -rf "$windows"
cmake -S . -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -Dglbinding_DIR="$glbinding/cmake" -DZARVO_BUILD_TESTS=OFF >/dev/null
cmake --build "$windows" -j"$(nproc)" >/dev/null
(cd "$windows" && cpack -G ZIP >/dev/null)
cmake --build "$windows" --target zarvo_installer >/dev/null
step "Windows build, zip and installer"

artifacts=("ZarvoNeon-$version-win64-setup.exe" "ZarvoNeon-$version-win64.zip"
           "zarvo-neon_${version}_amd64.deb")
rm -rf "$out"
mkdir -p "$out"
cp "$windows/${artifacts[0]}" "$windows/${artifacts[1]}" "$linux/${artifacts[2]}" "$out/"
(cd "$out" && sha256sum "${artifacts[@]}" >SHA256SUMS)

# Lintian's errors fail the release; its warnings are shown.
lintian_log="$(lintian --tag-display-limit 0 "$out/${artifacts[2]}" 2>&1 |
    grep -v '^running with root privileges is not recommended!$')" || true
[ -n "$lintian_log" ] && echo "$lintian_log" >&2
if grep -q '^E:' <<<"$lintian_log"; then
    echo "release.sh: lintian reports errors in the Debian package" >&2
    exit 1
fi
step "dist"
(cd "$out" && ls -l "${artifacts[@]}" SHA256SUMS | awk '{printf "%10d  %s\n", $5, $9}')
