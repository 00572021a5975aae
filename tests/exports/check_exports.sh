#!/usr/bin/env bash
# Checks the export table of each delivered plug-in: module name equal to the
# file name, and exactly the undecorated exports PpiGetData (ordinal 1) and
# PpiStart (ordinal 2).
#
#   bash tests/exports/check_exports.sh <plugin.ppi> ...
#
# Prints one line per problem, then "exports: N passed, N failed" (one check per
# file). Exit status 0 when every file passes.
set -u

if [ $# -lt 1 ]; then
    echo "usage: $0 <plugin.ppi> ..." >&2
    exit 1
fi

passed=0
failed=0
for pe in "$@"; do
    problems=()
    dump=
    for tool in ${OBJDUMP:-i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump}; do
        command -v "$tool" >/dev/null 2>&1 || continue
        if dump=$("$tool" -p "$pe" 2>/dev/null); then break; fi
        dump=
    done
    name=$(basename "$pe")
    if [ -z "$dump" ]; then
        problems+=("objdump could not read $pe")
    else
        module=$(printf '%s\n' "$dump" | awk '/^The Export Tables/ { inside = 1 } inside && /^Name[ \t]/ { print $3; exit }')
        base=$(printf '%s\n' "$dump" | awk '/^The Export Tables/ { inside = 1 } inside && /^Ordinal Base/ { print $3; exit }')
        # "[   0] PpiGetData" lines of the name table give index -> name; the
        # ordinal is the index plus the ordinal base.
        exports=$(printf '%s\n' "$dump" | awk -v base="${base:-0}" '
            /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
            inside && /^[ \t]*$/ { exit }
            inside { gsub(/[\[\]]/, " "); print $1 + base, $2 }')
        [ "$module" = "$name" ] || problems+=("module name is \"$module\", expected \"$name\"")
        expected=$'1 PpiGetData\n2 PpiStart'
        if [ "$exports" != "$expected" ]; then
            problems+=("exports are [$(printf '%s' "$exports" | tr '\n' ',')], expected [1 PpiGetData,2 PpiStart]")
        fi
    fi
    if [ ${#problems[@]} -eq 0 ]; then
        echo "PASS $pe"
        passed=$((passed + 1))
    else
        for p in "${problems[@]}"; do echo "FAIL $pe: $p"; done
        failed=$((failed + 1))
    fi
done
echo "exports: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
