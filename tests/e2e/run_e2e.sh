#!/bin/bash
# Runs the end-to-end driver against an installed Pelto folder under Wine, on a
# private Xvfb display and in a throwaway Wine prefix.
#
#   run_e2e.sh <driver-build-dir> <install-dir> [test-name-filter ...]
#
# <driver-build-dir> is the build tree of the installed Pelto's own target (build/x86_64
# or build/i686), holding PeltoDriver.exe and the test programs, so the driver sees the
# system folders as Pelto does.
#
# Environment:
#   PELTO_E2E_WINVER  the Windows version Wine reports to Pelto.exe ("win2k", "win98";
#                     empty: Wine's default); the driver reads it too
#   PELTO_E2E_LABEL   the name on the closing summary line (default "e2e")
#   PELTO_E2E_RETRY=0 no second run of failed tests; PELTO_E2E_TIMEOUT a pass's limit (s);
#   PELTO_E2E_MANAGED=1 Wine's managed windows; PELTO_XDND_DROP the drop tool
#
# The output ends with "<label>: N passed, N failed"; the exit status is the driver's.
set -u
label=${PELTO_E2E_LABEL:-e2e}
winver=${PELTO_E2E_WINVER:-}
export PELTO_E2E_WINVER=$winver

if [ $# -lt 2 ]; then
    echo "usage: $0 <driver-build-dir> <install-dir> [test-name-filter ...]" >&2
    echo "$label: 0 passed, 1 failed"
    exit 2
fi
build_dir=$1
install_dir=$2
shift 2

started=$(date +%s)
work=""
x_pids=()
cleaned=0

# Ends a pass's prefix and its X servers.
close_pass() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 30 wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    local pid
    for pid in "${x_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    x_pids=()
}

cleanup() {
    [ "$cleaned" = 1 ] && return
    cleaned=1
    close_pass
    [ -z "$work" ] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Ends the run without the driver, with the reason: as one failure, or (0) as a run
# that counts nothing.
end_run() {  # failures (1 or 0), reason...
    local failures=$1
    shift
    echo "$*"
    cleanup
    echo "$label: 0 passed, $failures failed"
    exit "$failures"
}
abort() { end_run 1 "$label run aborted: $*"; }

[ -f "$build_dir/PeltoDriver.exe" ] || abort "no PeltoDriver.exe in $build_dir"
driver=$(realpath "$build_dir/PeltoDriver.exe")
[ -f "$install_dir/Pelto.exe" ] || abort "no Pelto.exe in $install_dir"
install_dir=$(realpath "$install_dir")
case "$winver" in
    ""|win98|win2k) ;;
    *) abort "PELTO_E2E_WINVER must be win98, win2k or empty, not $winver" ;;
esac

# 32 or 64, from the machine field of a program's PE header.
pe_bits() {
    local offset machine
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 1
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in
        014c) echo 32 ;;
        8664) echo 64 ;;
        *) return 1 ;;
    esac
}
pelto_bits=$(pe_bits "$install_dir/Pelto.exe") || abort "$install_dir/Pelto.exe is not a Windows program"
driver_bits=$(pe_bits "$driver") || abort "$driver is not a Windows program"
[ "$pelto_bits" = "$driver_bits" ] ||
    abort "the driver is $driver_bits-bit but Pelto.exe is $pelto_bits-bit: give the build tree of Pelto's own target"
[ -f "$build_dir/PeltoTarget.exe" ] || abort "no PeltoTarget.exe in $build_dir"

for tool in wine wineserver winepath Xvfb xdotool timeout; do
    command -v "$tool" >/dev/null 2>&1 || abort "$tool is not installed"
done

work=$(mktemp -d /tmp/pelto-e2e.XXXXXX) || abort "cannot make a temp folder"

# The Wine loader that can start here (scripts/wine_env.sh). On a kernel that starts
# no 32-bit programs the 32-bit program cannot run at all: the run says so in a
# "NOT RUN:" line and counts nothing, since no package or setting of ours changes it.
# shellcheck source=../../scripts/wine_env.sh
. "$(dirname "$0")/../../scripts/wine_env.sh"
pelto_wine_env "$work/wine-bin" || abort "cannot prepare the 64-bit Wine loader"
[ "$pelto_bits" = 32 ] && [ -n "$PELTO_NO_32BIT" ] && end_run 0 "NOT RUN: $label: $PELTO_NO_32BIT"

# The XDND drag source that makes real file drops (native build).
if [ -z "${PELTO_XDND_DROP:-}" ]; then
    for candidate in "$build_dir/../native/pelto-xdnd-drop" "$(dirname "$0")/../../build/native/pelto-xdnd-drop"; do
        [ -x "$candidate" ] && { PELTO_XDND_DROP=$(realpath "$candidate"); break; }
    done
fi
[ -n "${PELTO_XDND_DROP:-}" ] || abort "no pelto-xdnd-drop (scripts/build.sh native builds it)"
export PELTO_XDND_DROP

# Starts an X server on a free display from :110 up (no lock file, no socket), until its
# socket is there and its lock names our process. Sets server_pid and server_display;
# its output goes to $work/<name>.log.
start_x_server() {  # name, program, arguments after the display...
    local name=$1 program=$2 n
    shift 2
    server_pid=""
    server_display=""
    for n in $(seq 110 199); do
        { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
        "$program" ":$n" "$@" >"$work/$name.log" 2>&1 &
        server_pid=$!
        for _ in $(seq 1 100); do
            kill -0 "$server_pid" 2>/dev/null || break
            if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$server_pid" ]; then
                server_display=":$n"
                x_pids+=("$server_pid")
                return 0
            fi
            sleep 0.1
        done
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
        server_pid=""
    done
    return 1
}

# The display of a pass:
#   main          Xvfb, 1280 x 1024 at 24 bits (every test not named below)
#   HighColor     Xvfb, 1280 x 1024 at 16 bits (tests named HighColor_*)
#   TwoMonitors   Xephyr with Xinerama, without RandR, in an Xvfb: 1280 x 1024 and
#                 1024 x 768 side by side (TwoMonitors_*). Wine sees one monitor on
#                 Xvfb's own Xinerama and on any display with RandR.
open_display() {  # kind
    case "$1" in
        main) start_x_server xvfb Xvfb -screen 0 1280x1024x24 -nolisten tcp || return 1 ;;
        HighColor) start_x_server xvfb-16 Xvfb -screen 0 1280x1024x16 -nolisten tcp || return 1 ;;
        TwoMonitors)
            command -v Xephyr >/dev/null 2>&1 || { echo "Xephyr is not installed (package xserver-xephyr)"; return 1; }
            start_x_server xvfb-outer Xvfb -screen 0 2400x1100x24 -nolisten tcp || return 1
            local outer=$server_display
            DISPLAY=$outer start_x_server xephyr Xephyr +xinerama -extension RANDR \
                -screen 1280x1024 -screen 1024x768 -nolisten tcp || return 1
            ;;
        *) return 1 ;;
    esac
    export DISPLAY=$server_display
}

# A prefix of the pass's own: no managed windows, Pelto's Windows version.
prepare_prefix() {  # kind
    export WINEPREFIX="$work/prefix-$1"
    echo "display $DISPLAY, prefix $WINEPREFIX"
    if ! timeout 300 wine wineboot -i >"$work/wineboot-$1.log" 2>&1; then
        tail -n 20 "$work/wineboot-$1.log"
        abort "wineboot failed"
    fi
    timeout 120 wineserver -w || abort "wineserver did not settle after wineboot"
    # With no window manager, Wine waits 2 s for one each time it hides a "managed"
    # window (every message box, for one); unmanaged windows skip that wait.
    if [ "${PELTO_E2E_MANAGED:-0}" != 1 ]; then
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$work/wine.log" 2>&1 ||
            abort "cannot set the Wine X11 driver's Managed value"
    fi
    if [ -n "$winver" ]; then
        timeout 60 wine reg add 'HKCU\Software\Wine\AppDefaults\Pelto.exe' /v Version /t REG_SZ /d "$winver" /f \
            >>"$work/wine.log" 2>&1 || abort "cannot set the Windows version for Pelto.exe"
    fi
}

export WINEARCH=win64
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# Wine's recycle bin is the XDG trash: kept inside the run's own folder.
export XDG_DATA_HOME="$work/xdg"
mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
# No Mono / Gecko prompts, no menu entries in the home folder, and no debugger: a
# program that crashes ends at once instead of waiting in winedbg.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

open_display main || abort "no free X display in :110 .. :199"
prepare_prefix main

# What a Pelto.exe of this bitness is told: the test program, under that name, writes
# what GetVersionExA gives it. Without 32-bit Wine nothing 32-bit runs (silently).
mkdir -p "$work/probe" && cp "$build_dir/PeltoTarget.exe" "$work/probe/Pelto.exe" || abort "cannot stage the version probe"
(cd "$work/probe" && timeout 120 wine Pelto.exe --report-version version.txt >>"$work/wine.log" 2>&1)
reported=$(cat "$work/probe/version.txt" 2>/dev/null)
if [ -z "$reported" ]; then
    [ "$pelto_bits" = 32 ] && end_run 1 "this machine cannot run 32-bit Windows programs (32-bit Wine missing:" \
        "apt-get install wine32:i386); the $label run counts as failed"
    abort "the version probe did not run"
fi
case "$winver" in
    win98) expected="platform 1 version 4.10" ;;
    win2k) expected="platform 2 version 5.0" ;;
    *) expected="platform 2 " ;;
esac
case "$reported" in
    "$expected"*" bits $pelto_bits") ;;
    *) abort "Pelto.exe would be told \"$reported\", not \"$expected... bits $pelto_bits\"" ;;
esac
echo "Pelto.exe runs as $reported (Windows version setting: ${winver:-none})"

timeout 120 wine "$driver" acp >"$work/acp.out" 2>>"$work/wine.log"
acp_status=$?
tr -d '\r' <"$work/acp.out"
[ "$acp_status" = 0 ] || abort "the ANSI code page under Wine is not 932 (is the ja_JP.UTF-8 locale generated?)"

# The test program of the other bitness, for the program lookup across the two.
other_build="$build_dir/../i686"
[ "$pelto_bits" = 32 ] && other_build="$build_dir/../x86_64"
# Where it cannot start (PELTO_NO_32BIT, which the driver sees too), none: the cases
# that start it say so in their own "NOT RUN:" lines.
if [ -z "$PELTO_NO_32BIT" ] && [ -f "$other_build/PeltoTarget.exe" ]; then
    PELTO_E2E_OTHER_TARGET=$(timeout 60 winepath -w "$(realpath "$other_build/PeltoTarget.exe")" 2>>"$work/wine.log" | tr -d '\r')
    export PELTO_E2E_OTHER_TARGET
fi

install_windows=$(timeout 60 winepath -w "$install_dir" 2>>"$work/wine.log" | tr -d '\r')
[ -n "$install_windows" ] || abort "winepath could not convert $install_dir"

# The passes on a display of their own that the filter selects tests for (the driver
# runs only the tests of the pass PELTO_E2E_DISPLAY_KIND names).
extra_passes=()
for kind in HighColor TwoMonitors; do
    listed=$(PELTO_E2E_DISPLAY_KIND=$kind timeout 120 wine "$driver" "$install_windows" "$@" --gtest_list_tests \
        2>>"$work/wine.log" | tr -d '\r' | grep -c "^  ${kind}_")
    [ "${listed:-0}" -gt 0 ] && extra_passes+=("$kind")
done

total_passed=0
total_failed=0
status=0

# The driver on one pass's display: kind, output file, driver arguments...
run_driver() {
    local kind=$1 out=$2
    shift 2
    PELTO_E2E_DISPLAY_KIND=$kind timeout "${PELTO_E2E_TIMEOUT:-2400}" wine "$driver" "$install_windows" "$@" \
        2>>"$work/wine.log" | tr -d '\r' | tee "$out"
    return "${PIPESTATUS[0]}"
}

# "passed failed" from the driver's summary line in a file; nothing without one.
driver_counts() {
    sed -nE 's/^e2e: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$1" | tail -n 1
}

# Runs the driver for one pass and adds its counts. A few failed tests are run once more,
# alone, in the same prefix: failing again they count as failed; passing, they are named
# FLAKY (and count as passed), so a timing slip under load stays visible without sinking the run.
run_pass() {  # kind, driver arguments...
    local kind=$1
    shift
    local out="$work/driver-$kind.out"
    run_driver "$kind" "$out" "$@"
    local pass_status=$?

    local summary passed failed
    summary=$(driver_counts "$out")
    if [ -z "$summary" ]; then
        [ "$pass_status" = 124 ] && echo "the driver did not finish within ${PELTO_E2E_TIMEOUT:-2400} s"
        echo "the driver ended without its summary (status $pass_status); Wine's messages:"
        tail -n 20 "$work/wine.log"
        total_passed=$((total_passed + $(grep -c '^PASS ' "$out")))
        total_failed=$((total_failed + $(grep -c '^FAIL ' "$out") + 1))
        status=1
        return
    fi
    read -r passed failed <<<"$summary"

    local failed_names failed_count
    failed_names=$(grep -E '^FAIL [A-Za-z0-9_]+\.[A-Za-z0-9_/]+' "$out" | awk '{print $2}' | sort -u)
    failed_count=$(printf '%s' "$failed_names" | grep -c .)
    if [ "$pass_status" != 0 ] && [ "${PELTO_E2E_RETRY:-1}" != 0 ] &&
        [ "$failed_count" -ge 1 ] && [ "$failed_count" -le 5 ]; then
        echo "running again, alone: $(tr '\n' ' ' <<<"$failed_names")"
        run_driver "$kind" "$work/retry-$kind.out" "--gtest_filter=$(tr '\n' ':' <<<"$failed_names" | sed 's/:$//')"
        pass_status=$?
        local retry name
        retry=$(driver_counts "$work/retry-$kind.out")
        if [ -n "$retry" ]; then
            for name in $(grep -E '^PASS ' "$work/retry-$kind.out" | awk '{print $2}'); do
                echo "FLAKY $name: failed in the run, passed when run again alone"
            done
            passed=$((passed + ${retry% *}))
            failed=${retry#* }
        else
            echo "the second run ended without its summary (status $pass_status)"
            [ "$pass_status" = 0 ] && pass_status=1
        fi
    fi
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    [ "$pass_status" != 0 ] && status=1
}

run_pass main "$@"
for kind in "${extra_passes[@]}"; do
    close_pass
    echo "=== the ${kind}_ tests, on a display of their own"
    if open_display "$kind"; then
        prepare_prefix "$kind"
        run_pass "$kind" "$@"
    else
        echo "$label: no display for the ${kind}_ tests"
        total_failed=$((total_failed + 1))
        status=1
    fi
done
if [ $((total_passed + total_failed)) = 0 ]; then
    echo "no test matches the filter"
    total_failed=1
    status=1
fi
summary="$label: $total_passed passed, $total_failed failed"

cleanup
echo "driver exit status $status, $label run took $(($(date +%s) - started)) s"
echo "$summary"
exit "$status"
