#!/usr/bin/env bash
# Installs what building, running and testing Pelto needs on Debian 12 (run as
# root). Installs only what is missing, so it is quick on a prepared machine.
#
#   setup.sh        everything the test command needs (adds the i386
#                   architecture for 32-bit Wine)
#   setup.sh run    only what the 64-bit program needs to build and run
#
# A package mirror in the middle of a sync makes `apt-get update` fail for one
# index now and then: the update is tried a few times, and a partial failure
# does not stop the script. Only a failed install does, naming what is missing.
set -euo pipefail
mode=${1:-all}

run_packages=(
    cmake make g++-mingw-w64-x86-64
    wine wine64 xvfb x11-utils imagemagick
    locales fonts-ipafont-gothic
)
test_packages=(
    g++ googletest libgtest-dev libx11-dev
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    clang libclang-rt-14-dev
    wine32:i386 xdotool xserver-xephyr
    linux-perf
)
case "$mode" in
    run) packages=("${run_packages[@]}") ;;
    all) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 [all|run]" >&2; exit 2 ;;
esac

# The 32-bit build (the Windows 98/2000 deliverable) runs under 32-bit Wine,
# which installs beside 64-bit Wine through multiarch. The 64-bit program alone
# does not need it.
if [ "$mode" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    dpkg --add-architecture i386
fi

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
    is_installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    attempts=${PELTO_APT_ATTEMPTS:-4}
    pause=${PELTO_APT_PAUSE:-20}
    updated=0
    for attempt in $(seq 1 "$attempts"); do
        if apt-get update -qq; then
            updated=1
            break
        fi
        if [ "$attempt" -lt "$attempts" ]; then
            echo "setup: apt-get update failed (attempt $attempt of $attempts); trying again in $pause s"
            sleep "$pause"
        fi
    done
    if [ "$updated" = 0 ]; then
        echo "setup: apt-get update failed $attempts times; installing from the indexes that did arrive"
    fi

    if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
        # Name exactly what cannot be installed: one package at a time.
        failed=()
        for p in "${missing[@]}"; do
            is_installed "$p" && continue
            apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 || failed+=("$p")
        done
        # With the security suite's index for one architecture missing, a
        # multiarch pair (libssl3 and libssl3:i386, ...) has no common version:
        # take both halves from the main suite instead, once.
        if [ ${#failed[@]} -gt 0 ] && [ "$updated" = 0 ]; then
            echo "setup: trying ${failed[*]} again with the main suite's versions of their libraries"
            prefs=$(mktemp)
            printf '%s\n' 'Package: *' 'Pin: release l=Debian-Security' 'Pin-Priority: 100' '' \
                'Package: *' 'Pin: release n=bookworm,l=Debian' 'Pin-Priority: 1001' >"$prefs"
            if apt-get install -y -qq --no-install-recommends --allow-downgrades \
                -o Dir::Etc::Preferences="$prefs" \
                "${failed[@]}" >/dev/null; then
                failed=()
            fi
            rm -f "$prefs"
        fi
        if [ ${#failed[@]} -gt 0 ]; then
            echo "setup: could not install: ${failed[*]}"
            if [ "$updated" = 0 ]; then
                echo "setup: apt-get update failed too: the package mirror may be in the middle of a sync;" \
                    "a later run may succeed"
            else
                echo "setup: the package mirror may be in the middle of a sync; a later run may succeed"
            fi
            exit 1
        fi
    fi
fi

# Wine takes its ANSI code page (932 for Pelto's texts) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
