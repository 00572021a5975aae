#!/bin/bash
# Runs the end-to-end driver against an installed Pelto folder under wine64, on a
# private Xvfb display and in a throwaway Wine prefix.
#
#   run_e2e.sh <driver-build-dir> <install-dir> [test-name-filter ...]
#
# <driver-build-dir> is the x86_64 build tree, the folder holding PeltoDriver.exe. The output ends with the driver's summary
# line "e2e: N passed, N failed"; the exit status is the driver's (0 = all passed).
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 <driver-build-dir> <install-dir> [test-name-filter ...]" >&2
    echo "e2e: 0 passed, 1 failed"
    exit 2
fi
build_dir=$1
install_dir=$2
shift 2

started=$(date +%s)
work=""
xvfb_pid=""
cleaned=0

cleanup() {
    [ "$cleaned" = 1 ] && return
    cleaned=1
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 30 wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    if [ -n "$work" ] && [ -d "$work" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Ends the run without the driver: one failure, with the reason.
abort() {
    echo "e2e run aborted: $*"
    cleanup
    echo "e2e: 0 passed, 1 failed"
    exit 1
}

# The build puts programs in the build folder itself; an older tree may hold one
# in tests/e2e/. The newest one wins.
driver=""
for candidate in "$build_dir/PeltoDriver.exe" "$build_dir/tests/e2e/PeltoDriver.exe"; do
    if [ -f "$candidate" ] && { [ -z "$driver" ] || [ "$candidate" -nt "$driver" ]; }; then
        driver=$(realpath "$candidate")
    fi
done
[ -n "$driver" ] || abort "no PeltoDriver.exe under $build_dir"
[ -f "$install_dir/Pelto.exe" ] || abort "no Pelto.exe in $install_dir"
install_dir=$(realpath "$install_dir")
for tool in wine wineserver winepath Xvfb xdotool timeout; do
    command -v "$tool" >/dev/null 2>&1 || abort "$tool is not installed"
done

work=$(mktemp -d /tmp/pelto-e2e.XXXXXX) || abort "cannot make a temp folder"

# The XDND drag source that makes real file drops (native build).
if [ -z "${PELTO_XDND_DROP:-}" ]; then
    for candidate in "$build_dir/../native/pelto-xdnd-drop" "$(dirname "$0")/../../build/native/pelto-xdnd-drop"; do
        [ -x "$candidate" ] && { PELTO_XDND_DROP=$(realpath "$candidate"); break; }
    done
fi
[ -n "${PELTO_XDND_DROP:-}" ] || abort "no pelto-xdnd-drop (scripts/build.sh native builds it)"
export PELTO_XDND_DROP

# A free display: no lock file and no socket, and the Xvfb that holds the lock is ours.
display=""
for n in $(seq 110 199); do
    [ -e "/tmp/.X$n-lock" ] && continue
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$xvfb_pid" ]; then
            display=":$n"
            break
        fi
        sleep 0.1
    done
    [ -n "$display" ] && break
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
done
[ -n "$display" ] || abort "no free X display in :110 .. :199"

export DISPLAY=$display
export WINEPREFIX="$work/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# The recycle bin: Wine moves deleted files into the XDG trash, kept here inside
# the run's own folder.
export XDG_DATA_HOME="$work/xdg"
mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
# No Mono / Gecko install prompts, no menu entries written into the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

echo "display $DISPLAY, prefix $WINEPREFIX"
if ! timeout 300 wine wineboot -i >"$work/wineboot.log" 2>&1; then
    tail -n 20 "$work/wineboot.log"
    abort "wineboot failed"
fi
timeout 120 wineserver -w || abort "wineserver did not settle after wineboot"
# With no window manager, Wine waits 2 s for one each time it hides a "managed"
# window (every message box, for one). Unmanaged windows skip that wait.
# PELTO_E2E_MANAGED=1 keeps Wine's default.
if [ "${PELTO_E2E_MANAGED:-0}" != 1 ]; then
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$work/wine.log" 2>&1 ||
        abort "cannot set the Wine X11 driver's Managed value"
fi

timeout 120 wine "$driver" acp >"$work/acp.out" 2>>"$work/wine.log"
acp_status=$?
tr -d '\r' <"$work/acp.out"
if [ "$acp_status" != 0 ]; then
    abort "the ANSI code page under Wine is not 932 (is the ja_JP.UTF-8 locale generated?)"
fi

install_windows=$(timeout 60 winepath -w "$install_dir" 2>>"$work/wine.log" | tr -d '\r')
[ -n "$install_windows" ] || abort "winepath could not convert $install_dir"

timeout 600 wine "$driver" "$install_windows" "$@" 2>>"$work/wine.log" | tr -d '\r' | tee "$work/driver.out"
status=${PIPESTATUS[0]}

summary=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed$' "$work/driver.out" | tail -n 1)
if [ -z "$summary" ]; then
    [ "$status" = 124 ] && echo "the driver did not finish within 600 s"
    echo "the driver ended without its summary (status $status); Wine's messages:"
    tail -n 20 "$work/wine.log"
    passed=$(grep -c '^PASS ' "$work/driver.out")
    failed=$(grep -c '^FAIL ' "$work/driver.out")
    summary="e2e: $passed passed, $((failed + 1)) failed"
    [ "$status" = 0 ] && status=1
fi

cleanup
echo "driver exit status $status, e2e run took $(($(date +%s) - started)) s"
echo "$summary"
exit "$status"
