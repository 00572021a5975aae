#!/usr/bin/env bash
# Runs each libFuzzer target for a while on a copy of its seed corpus.
#
#   bash tests/fuzz/run_fuzzers.sh <fuzz-build-dir> [seconds]
#
# The build folder comes from
#   CC=clang CXX=clang++ cmake -S . -B <dir> -DPELTO_FUZZ=ON && cmake --build <dir> -j2
# Each target runs for the given seconds (default 30) in a temporary folder, so
# the repository's corpus is not changed. Prints "PASS <target>" or "FAIL <target>
# ...", then "fuzz: N passed, N failed"; exit status 1 when any target failed.
# An input that made a target fail is kept in <fuzz-build-dir>/fuzz-artifacts/.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 <fuzz-build-dir> [seconds]" >&2
    exit 1
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "no such folder: $1" >&2; exit 1; }
seconds=${2:-30}
case $seconds in
    '' | *[!0-9]*) echo "seconds must be a whole number: $seconds" >&2; exit 1 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/pelto-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

passed=0
failed=0

# run_fuzzer <target> <corpus folder name>
run_fuzzer() {
    local target=$1 corpus=$2 dir=$work/$1 exe seeds runs units rc
    for exe in "$build/tests/fuzz/$target" "$build/$target" ""; do
        [ -n "$exe" ] && [ -x "$exe" ] && break
    done
    if [ -z "$exe" ]; then
        echo "FAIL $target (not built in $build)"
        failed=$((failed + 1))
        return
    fi

    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp -R "$here/corpus/$corpus/." "$dir/corpus/"
    seeds=$(find "$dir/corpus" -type f | wc -l)

    (cd "$dir" && "$exe" -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" corpus) >"$dir/log" 2>&1
    rc=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
    units=$(find "$dir/corpus" -type f | wc -l)
    if [ $rc -eq 0 ] && ! grep -q '^==[0-9]*==ERROR\|runtime error:\|check failed:' "$dir/log"; then
        echo "PASS $target (${runs:-?} runs in ${seconds}s, corpus $seeds -> $units)"
        passed=$((passed + 1))
        return
    fi

    echo "FAIL $target (exit $rc)"
    grep -m 5 -E 'ERROR|runtime error:|check failed:|SUMMARY|deadly signal' "$dir/log" | sed 's/^/    /'
    local a keep=$build/fuzz-artifacts
    for a in "$dir/artifacts/"*; do
        [ -f "$a" ] || continue  # none: the pattern itself
        mkdir -p "$keep" && cp "$a" "$keep/$target-$(basename "$a")" && echo "    input kept: $keep/$target-$(basename "$a")"
    done
    cp "$dir/log" "$build/$target.log" 2>/dev/null && echo "    log: $build/$target.log"
    failed=$((failed + 1))
}

run_fuzzer fuzz_settings settings
run_fuzzer fuzz_skin skin
run_fuzzer fuzz_launcher launcher

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
