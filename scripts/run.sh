#!/usr/bin/env bash
# Builds Pelto and runs it under Wine: on your X display if there is one, else
# on a virtual one (then a screenshot is saved so you can see it).
# The installation lives in build/run/Pelto, the Wine prefix in build/run/wine;
# both are kept between runs, and so is the program's own "setting" file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh x86_64

run="$root/build/run"
mkdir -p "$run/Pelto"
# Fresh program files; the user's own files (setting, extra skins) stay.
cp -r build/install-x86_64/Pelto/. "$run/Pelto/"

export WINEPREFIX="$run/wine" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
virtual=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    n=99
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    virtual=$!
    export DISPLAY=":$n"
    trap 'wineserver -k 2>/dev/null || true; kill $virtual 2>/dev/null || true' EXIT
    sleep 1
    echo "No X display found: Pelto runs on the virtual display $DISPLAY."
fi
[ -d "$WINEPREFIX" ] || { echo "Preparing the Wine prefix (once)..."; wine wineboot -i >/dev/null 2>&1; wineserver -w; }

echo "Starting Pelto. Click the skin window for its menu; its last item closes it."
if [ -n "$virtual" ]; then
    wine "$run/Pelto/Pelto.exe" &
    sleep 5
    import -window root "$run/screen.png" && echo "Screenshot of the virtual display: $run/screen.png"
    echo "Pelto runs until this command is stopped (Ctrl+C)."
    wait
else
    wine "$run/Pelto/Pelto.exe"
fi
