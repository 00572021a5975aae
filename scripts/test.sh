#!/usr/bin/env bash
# Runs every test of Pelto: native unit tests, fuzzing of the file parsers, the
# Windows 2000 and Windows 98 imports checks of the 32-bit build, the check that
# it holds no instruction beyond the Pentium's, and the end-to-end tests under
# Wine, three times: the 64-bit program, and the 32-bit program (the Windows
# 98/2000 deliverable) once told it runs on Windows 2000 and once on Windows 98.
# Installs and builds what is missing first. Ends with one line
# "N passed, N failed" covering every test that ran, after a "NOT RUN: ..." line
# for each run or case this machine cannot run (32-bit programs on a kernel whose
# 32-bit emulation is off).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fuzz_seconds=${PELTO_FUZZ_SECONDS:-30}

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
PELTO_WERROR=ON bash scripts/build.sh all || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
logs="$root/build/test-logs"
mkdir -p "$logs"

# Adds up the closing "N passed, N failed" line of a section's log; a section
# that ends without one, or fails with no failure counted, counts as failed.
count_section() {  # name, exit status
    local name=$1 status=$2
    local line
    line=$(grep -E '^([A-Za-z0-9_-]+: )?[0-9]+ passed, [0-9]+ failed' "$logs/$name.log" | tail -1)
    if [ -z "$line" ]; then
        echo "$name: no summary (exit $status)"
        failed=$((failed + 1))
        return
    fi
    local p f
    p=$(sed -E 's/^([A-Za-z0-9_-]+: )?([0-9]+) passed.*/\2/' <<<"$line")
    f=$(sed -E 's/^([A-Za-z0-9_-]+: )?[0-9]+ passed, ([0-9]+) failed.*/\2/' <<<"$line")
    passed=$((passed + p))
    failed=$((failed + f))
    if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
        echo "$name: exit $status"
        failed=$((failed + 1))
    fi
}

# Runs one section in the foreground, shows its output and counts it.
section() {
    local name=$1; shift
    echo "=== $name"
    local began=$SECONDS
    "$@" 2>&1 | tee "$logs/$name.log"
    local status=${PIPESTATUS[0]}
    echo "=== $name took $((SECONDS - began)) s"
    count_section "$name" "$status"
}

unit_tests() {
    local out status
    out=$(cd build/native && ctest --output-on-failure 2>&1)
    status=$?
    echo "$out"
    # ctest: "100% tests passed, 0 tests failed out of 54"
    local total fails
    total=$(sed -nE 's/.*tests passed, [0-9]+ tests failed out of ([0-9]+).*/\1/p' <<<"$out" | tail -1)
    fails=$(sed -nE 's/.*tests passed, ([0-9]+) tests failed out of.*/\1/p' <<<"$out" | tail -1)
    [ -n "$total" ] || return 1
    echo "unit: $((total - fails)) passed, $fails failed"
    return $status
}

# CTest also runs the checks of both Windows installations' menu, dialogs and guide
# (tests/resources), which read the files the builds above installed.
section unit unit_tests
section fuzz bash tests/fuzz/run_fuzzers.sh build/fuzz "$fuzz_seconds"
section art python3 tools/art/make_art.py --check
section imports bash tests/imports/check_imports.sh build/install-i686/Pelto/Pelto.exe
section imports-tachel bash tests/imports/check_imports.sh build/install-i686/Pelto/plugins/Tachel.ppi
section imports-moldra bash tests/imports/check_imports.sh build/install-i686/Pelto/plugins/Moldra.ppi
# The same three against what Windows 98 SE's system DLLs really implement.
section imports-w98 bash tests/imports/check_imports.sh --windows 98 build/install-i686/Pelto/Pelto.exe
section imports-w98-tachel bash tests/imports/check_imports.sh --windows 98 build/install-i686/Pelto/plugins/Tachel.ppi
section imports-w98-moldra bash tests/imports/check_imports.sh --windows 98 build/install-i686/Pelto/plugins/Moldra.ppi
# No instruction beyond the Pentium's in any shipped 32-bit binary (their debug
# files, in the build folder, tell where the code ends and name its functions).
section cpu-i586 bash tests/cpu/check_i586.sh --debug-dir build/i686 --debug-dir build/i686/plugins \
    build/install-i686/Pelto/*.exe build/install-i686/Pelto/plugins/*.ppi
# The 64-bit build delay-loads what start-up does not need (no Windows 2000 list for it).
# (The build folder's copies: the shipped ones are stripped, and the delay-load
# descriptors are found through the symbols of the debug files beside these.)
section imports-delayed bash tests/imports/check_imports.sh --delayed SHELL32.dll,ole32.dll,comdlg32.dll,COMCTL32.dll \
    build/x86_64/Pelto.exe -
section imports-delayed-moldra bash tests/imports/check_imports.sh --delayed comdlg32.dll \
    build/x86_64/plugins/Moldra.ppi -
section exports bash tests/exports/check_exports.sh build/install-i686/Pelto/plugins/*.ppi \
    build/install-x86_64/Pelto/plugins/*.ppi
# Each run has its own display, prefix and install copies; the 32-bit runs use
# the 32-bit build's own driver and test programs.
# PELTO_E2E_REPEAT=N runs each of them N times in a row (a flakiness count),
# with N times the time limit of one run.
e2e_run() {  # label, build tree, install folder, Windows version for Pelto.exe
    local repeat=${PELTO_E2E_REPEAT:-1}
    PELTO_E2E_TIMEOUT=${PELTO_E2E_TIMEOUT:-$((2400 * repeat))} PELTO_E2E_LABEL=$1 PELTO_E2E_WINVER=$4 \
        bash tests/e2e/run_e2e.sh "$2" "$3" --gtest_repeat="$repeat"
}
e2e_runs=(
    "e2e-x86_64 build/x86_64 build/install-x86_64/Pelto"
    "e2e-i686-win2k build/i686 build/install-i686/Pelto win2k"
    "e2e-i686-win98 build/i686 build/install-i686/Pelto win98"
)
# The three runs go side by side: they mostly wait on windows, so they share
# two cores well. PELTO_E2E_SERIAL=1 runs them one after another instead, each
# shown as it goes (for debugging).
if [ "${PELTO_E2E_SERIAL:-0}" != 1 ]; then
    # Each log is shown whole when all have ended.
    pids=()
    began=$SECONDS
    for run in "${e2e_runs[@]}"; do
        read -r name tree install version <<<"$run"
        e2e_run "$name" "$tree" "$install" "${version:-}" >"$logs/$name.log" 2>&1 &
        pids+=($!)
    done
    for i in "${!e2e_runs[@]}"; do
        read -r name _ <<<"${e2e_runs[$i]}"
        wait "${pids[$i]}"
        status=$?
        echo "=== $name"
        cat "$logs/$name.log"
        count_section "$name" "$status"
    done
    echo "=== the end-to-end runs took $((SECONDS - began)) s side by side"
else
    for run in "${e2e_runs[@]}"; do
        read -r name tree install version <<<"$run"
        section "$name" e2e_run "$name" "$tree" "$install" "${version:-}"
    done
fi

# What this machine cannot run (a kernel that starts no 32-bit programs), said
# again at the end: it is neither passed nor failed.
grep -h '^NOT RUN: ' "$logs"/e2e-*.log 2>/dev/null | sort -u
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
