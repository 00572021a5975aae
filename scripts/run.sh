#!/usr/bin/env bash
# Builds the 64-bit Pelto and runs it under Wine: on your X display if there is
# one, else on a virtual one, where Wine's Notepad is opened first for the skin
# to ride on and a screenshot is saved so you can see it.
# The installation lives in build/run/Pelto, the Wine prefix in build/run/wine;
# both are kept between runs, and so is the program's own "setting" file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh run

# The 64-bit build tree the test command uses, taken as it is configured: a
# different warnings setting would rebuild every file. Only the programs that
# run are built, so a later run starts at once. A new tree leaves the tests out
# (their GoogleTest sources come with the test command's packages); the test
# command's build turns them on.
build=build/x86_64
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target Pelto Tachel Moldra pelto_guide
run="$root/build/run"
# Fresh program files; the user's own files (setting, extra skins) stay.
cmake --install "$build" --prefix "$run/Pelto" >/dev/null

export WINEPREFIX="$run/wine" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# With 32-bit Wine installed (by the test command) on a kernel that starts no
# 32-bit programs, `wine` itself cannot start: the 64-bit loader is taken instead.
. scripts/wine_env.sh
pelto_wine_env "$run/wine-bin"
virtual=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    n=99
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    virtual=$!
    export DISPLAY=":$n"
    trap 'wineserver -k 2>/dev/null || true; kill $virtual 2>/dev/null || true' EXIT
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    echo "No X display found: Pelto runs on the virtual display $DISPLAY."
fi
[ -d "$WINEPREFIX" ] || { echo "Preparing the Wine prefix (once)..."; wine wineboot -i >/dev/null 2>&1; wineserver -w; }

# The geometry of the X window of that title ("" when there is none).
geometry() { xwininfo -root -tree 2>/dev/null | sed -n "s/^ *0x[0-9a-f]* \"$1\": ([^)]*)  *\([0-9x+-]*\) .*/\1/p" | head -1; }
# Waits up to 30 s for the window's geometry to differ from the one given.
wait_for_change() {  # title, geometry
    for _ in $(seq 300); do
        [ "$(geometry "$1")" != "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

echo "Starting Pelto. Click the skin window for its menu; its last item closes it."
if [ -n "$virtual" ]; then
    wine "$run/Pelto/Pelto.exe" >/dev/null 2>&1 &
    wait_for_change "Quorval Pelto" "" || echo "Pelto shows no window."
    # A window in front for the skin to ride on, so the picture shows what
    # Pelto is for: opened after Pelto, so that it comes to the front.
    shown=$(geometry "Quorval Pelto")
    wine notepad >/dev/null 2>&1 &
    wait_for_change "Quorval Pelto" "$shown" || echo "The skin did not move onto Notepad."
    import -window root "$run/screen.png" && echo "Screenshot of the virtual display: $run/screen.png"
    echo "Pelto runs until this command is stopped (Ctrl+C)."
    wait
else
    wine "$run/Pelto/Pelto.exe"
fi
