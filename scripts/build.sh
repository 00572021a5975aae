#!/usr/bin/env bash
# Builds Pelto. Usage: scripts/build.sh [all|native|windows|x86_64|i686|fuzz]
#   native   the platform-free logic and its unit tests (build/native)
#   x86_64   64-bit Windows build, installed to build/install-x86_64/Pelto
#   i686     32-bit Windows build (Windows 98/2000), build/install-i686/Pelto
#   fuzz     the libFuzzer targets, built with clang (build/fuzz)
# Each Windows build also leaves a zip of its installation folder in build/, and
# build/SHA256SUMS lists the zips there (check with: cd build && sha256sum -c SHA256SUMS).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build"
jobs=$(nproc)
what=${1:-all}
# The test command builds with warnings as errors (PELTO_WERROR=ON).
# Only when asked: a tree keeps the setting it has (a change rebuilds everything).
werror=()
[ -n "${PELTO_WERROR:-}" ] && werror=("-DPELTO_WARNINGS_AS_ERRORS=$PELTO_WERROR")

native() {
    cmake -S "$root" -B "$out/native" -DCMAKE_BUILD_TYPE=Release "${werror[@]}" >/dev/null
    cmake --build "$out/native" -j"$jobs"
}

windows() {  # $1: i686 or x86_64
    local arch=$1
    # With the tests, also in a tree scripts/run.sh made without them.
    cmake -S "$root" -B "$out/$arch" -DCMAKE_BUILD_TYPE=Release "${werror[@]}" -DBUILD_TESTING=ON \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
    cmake --build "$out/$arch" -j"$jobs"
    rm -rf "$out/install-$arch"
    cmake --install "$out/$arch" --prefix "$out/install-$arch/Pelto" >/dev/null
    (cd "$out/install-$arch" && rm -f "../Pelto-$arch.zip" && cmake -E tar cf "../Pelto-$arch.zip" --format=zip Pelto)
    checksums
}

# The checksums of the zips in build/, rewritten after each Windows build.
checksums() {
    local zips=()
    for zip in Pelto-i686.zip Pelto-x86_64.zip; do
        [ -f "$out/$zip" ] && zips+=("$zip")
    done
    (cd "$out" && sha256sum "${zips[@]}" > SHA256SUMS)
}

fuzz() {
    CC=clang CXX=clang++ cmake -S "$root" -B "$out/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTO_FUZZ=ON "${werror[@]}" >/dev/null
    cmake --build "$out/fuzz" -j"$jobs"
}

case "$what" in
    all) native; windows x86_64; windows i686; fuzz ;;
    native) native ;;
    windows) windows x86_64; windows i686 ;;
    x86_64|i686) windows "$what" ;;
    fuzz) fuzz ;;
    *) echo "usage: $0 [all|native|windows|x86_64|i686|fuzz]" >&2; exit 2 ;;
esac
