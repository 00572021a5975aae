#!/usr/bin/env bash
# Makes the README's pictures: docs/screenshot.png (the skin window over a
# backdrop, enlarged) and docs/menu.png (the main menu opened by a click).
# Uses the x86_64 build in build/install-x86_64/Pelto (scripts/build.sh x86_64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
install="$root/build/install-x86_64/Pelto"
[ -x "$install/Pelto.exe" ] || { echo "build first: scripts/build.sh x86_64" >&2; exit 1; }

work=$(mktemp -d)
n=130
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n" WINEPREFIX="$work/wine" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
cleanup() { wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
. "$root/scripts/wine_env.sh"
pelto_wine_env "$work/wine-bin"
sleep 1

wine wineboot -i >/dev/null 2>&1
wineserver -w
# An untitled backdrop window (Pelto never attaches to untitled windows), so
# that the cut-away corners show what lies below.
wine "$root/build/x86_64/PeltoTarget.exe" --title "" --popup --rect 0 0 1024 768 --no-activate &
sleep 2
cp -r "$install" "$work/Pelto"
wine "$work/Pelto/Pelto.exe" &
for _ in $(seq 1 40); do
    xdotool search --name 'Quorval Pelto' >/dev/null 2>&1 && break
    sleep 0.5
done
sleep 1
mkdir -p "$root/docs"
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 232x34+0+0 +repage -filter point -resize 300% "$root/docs/screenshot.png"

xdotool mousemove 60 9 click 1
sleep 2
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 420x330+0+0 +repage "$root/docs/menu.png"
echo "wrote docs/screenshot.png and docs/menu.png"
