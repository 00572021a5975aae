#!/usr/bin/env bash
# Installs what building, running and testing Pelto needs on Debian 12 (run as
# root). Installs only what is missing, so it is quick on a prepared machine.
set -euo pipefail

packages=(
    cmake make g++ googletest libgtest-dev libx11-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
    clang libclang-rt-14-dev
    wine wine64 wine32:i386 xvfb xdotool x11-utils imagemagick
    locales fonts-ipafont-gothic
    linux-perf
)

# The 32-bit build (the Windows 98/2000 deliverable) runs under 32-bit Wine,
# which installs beside 64-bit Wine through multiarch.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page (932 for Pelto's texts) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
