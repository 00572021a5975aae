#!/usr/bin/env bash
# Runs every test of Pelto: native unit tests, fuzzing of the file parsers, the
# Windows 2000 imports check of the 32-bit build, and the end-to-end tests of the
# real 64-bit program under Wine. Installs and builds what is missing first.
# Ends with one line "N passed, N failed" covering every test that ran.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fuzz_seconds=${PELTO_FUZZ_SECONDS:-30}

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
bash scripts/build.sh all || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
logs="$root/build/test-logs"
mkdir -p "$logs"

# Runs one section, shows its output, and adds up its closing
# "N passed, N failed" line; a section that ends without one counts as failed.
section() {
    local name=$1; shift
    echo "=== $name"
    "$@" 2>&1 | tee "$logs/$name.log"
    local status=${PIPESTATUS[0]}
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

section unit unit_tests
section fuzz bash tests/fuzz/run_fuzzers.sh build/fuzz "$fuzz_seconds"
section imports bash tests/imports/check_imports.sh build/install-i686/Pelto/Pelto.exe
section imports-tachel bash tests/imports/check_imports.sh build/install-i686/Pelto/plugins/Tachel.ppi
section imports-moldra bash tests/imports/check_imports.sh build/install-i686/Pelto/plugins/Moldra.ppi
section exports bash tests/exports/check_exports.sh build/install-i686/Pelto/plugins/*.ppi \
    build/install-x86_64/Pelto/plugins/*.ppi
section e2e bash tests/e2e/run_e2e.sh build/x86_64 build/install-x86_64/Pelto

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
