#!/usr/bin/env bash
# Checks that 32-bit Windows binaries hold no instruction beyond the Pentium's
# (i586), the oldest processor the 32-bit build runs on: "beyond" and
# "registers" below list what came later. (tzcnt is GCC's "rep bsf", which a
# Pentium runs as bsf; ud2 is an invalid opcode on purpose.)
#
#   bash tests/cpu/check_i586.sh [--debug-dir DIR]... <file.exe|file.ppi> ...
#
# A binary the build strips carries the name of its debugging file, NAME.debug;
# it is looked for beside the binary and in each --debug-dir. With it, the check
# reads only the code (the constructor lists and exception tables GNU ld puts
# after it in .text are data) and names the function of each finding (the last
# function symbol before it: the runtime archives' static functions have none).
# A debug file that does not belong to the binary (its CRC differs) is a failure.
#
# Prints each finding as "NOT I586: address instruction (in function)", then
# "cpu: N passed, N failed" (one check per file). Exit status 0 when every file
# passes. OBJDUMP and NM may name the tools (default i686-w64-mingw32-*).
set -u

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
nm=${NM:-i686-w64-mingw32-nm}

debug_dirs=()
while [ "${1:-}" = "--debug-dir" ]; do
    debug_dirs+=("${2:-}")
    shift 2 || break
done
if [ $# -lt 1 ]; then
    echo "usage: $0 [--debug-dir DIR]... <file.exe|file.ppi> ..." >&2
    exit 1
fi

# Mnemonics beyond the Pentium's, after any prefixes (lock, rep, cs, data16, ...).
beyond='^(cmov[a-z]*|fcmov[a-z]*|fu?comip?|fu?compi|rdpmc|sysenter|sysexit|syscall|sysret[a-z]*'
beyond+='|nop[wl]?[[:space:]]+.+|endbr32|fxsave[a-z0-9]*|fxrstor[a-z0-9]*|ldmxcsr|stmxcsr|[slm]fence'
beyond+='|clflush[a-z]*|movnti|prefetch[a-z0-9]*|emms|femms|popcnt|lzcnt|movbe|crc32[a-z]*|rdtscp'
beyond+='|fisttp[a-z]*|xgetbv|xsave[a-z0-9]*|xrstor[a-z0-9]*|cmpxchg16b)([[:space:]]|$)'
# Any MMX, SSE or AVX register operand.
registers='%[xyz]?mm[0-9]'

# The file's debug link as "name crc" (crc as 8 hex digits); nothing when it has none.
debug_link() {
    "$objdump" -s -j .gnu_debuglink "$1" 2>/dev/null | python3 -c '
import re, sys
data = bytes.fromhex("".join(w for line in sys.stdin if re.match(r" [0-9a-f]+ ", line)
                             for w in line.split("  ")[0].split()[1:]))
# The name, zero-padded to a multiple of 4 bytes, then its CRC32 (little-endian).
if len(data) >= 8:
    print(data.split(b"\0")[0].decode(), "%08x" % int.from_bytes(data[-4:], "little"))'
}

file_crc() {
    python3 -c 'import sys, zlib; print("%08x" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$1"
}

passed=0
failed=0
for pe in "$@"; do
    name=$(basename "$pe")
    problems=()
    if ! "$objdump" -f "$pe" 2>/dev/null | grep -q 'file format pei-i386'; then
        echo "FAIL $name: not a 32-bit Windows binary (or unreadable): $pe"
        failed=$((failed + 1))
        continue
    fi

    # Where the symbols come from: the debug file, else the binary itself.
    symbols=$pe
    read -r link crc <<<"$(debug_link "$pe")"
    if [ -n "${link:-}" ]; then
        symbols=
        for dir in "$(dirname "$pe")" "${debug_dirs[@]}"; do
            [ -f "$dir/$link" ] || continue
            if [ "$(file_crc "$dir/$link")" = "$crc" ]; then
                symbols=$dir/$link
                break
            fi
            problems+=("$dir/$link does not belong to $pe (CRC differs)")
        done
    fi
    # The code ends where the linker starts the constructor list.
    stop=$([ -n "$symbols" ] && "$nm" "$symbols" 2>/dev/null | awk '$3 == "___CTOR_LIST__" { print $1; exit }')
    [ -n "$stop" ] || echo "$name: no symbols found: all of .text is read as code (data in it may be reported)"

    # Findings as "address<TAB>instruction", addresses as 8 hex digits.
    findings=$("$objdump" -d --no-show-raw-insn ${stop:+--stop-address=0x$stop} "$pe" | awk -F'\t' \
        -v beyond="$beyond" -v registers="$registers" '
        NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {
            insn = $2
            sub(/^[[:space:]]+/, "", insn)
            rest = insn
            while (match(rest, /^(lock|rep[a-z]*|cs|ds|es|fs|gs|ss|data(16|32)|addr(16|32)|bnd|notrack|xacquire|xrelease)[[:space:]]+/))
                rest = substr(rest, RLENGTH + 1)
            if (rest ~ beyond || insn ~ registers) {
                address = $1
                gsub(/[ :]/, "", address)
                while (length(address) < 8) address = "0" address
                print address "\t" insn
            }
        }')
    count=$("$objdump" -d --no-show-raw-insn ${stop:+--stop-address=0x$stop} "$pe" | grep -c $'^ *[0-9a-f]*:\t')

    if [ -n "$findings" ]; then
        # Each finding with the function it lies in: symbols and findings sorted
        # by address together, each finding taking the last symbol before it. An
        # object's own .text symbol marks where its code starts, so code of an
        # object without function symbols (the runtime archives' static
        # functions) is not put down to the function before it.
        {
            [ -z "$symbols" ] || "$nm" -C "$symbols" 2>/dev/null | sed -nE \
                -e 's/^([0-9a-f]{8}) [Tt] \.text$/\1\t0\t/p' \
                -e 's/^([0-9a-f]{8}) [Tt] ([^.].*)$/\1\t1\t\2/p'
            printf '%s\n' "$findings" | sed 's/\t/\t2\t/'
        } | LC_ALL=C sort -t $'\t' -k1,1 -k2,2n | awk -F'\t' -v named="$symbols" '
            $2 < 2 { function_name = $3; next }
            {
                where = function_name != "" ? " (in " function_name ")" : named != "" ? " (in code without a symbol)" : ""
                printf "NOT I586: 0x%s %s%s\n", $1, $3, where
            }'
    fi
    found=$(printf '%s' "$findings" | grep -c '^')
    for p in "${problems[@]}"; do echo "FAIL: $p"; done
    if [ "$found" -eq 0 ] && [ ${#problems[@]} -eq 0 ]; then
        echo "PASS $name: none of its $count instructions is beyond the Pentium's"
        passed=$((passed + 1))
    else
        echo "FAIL $name: $found instructions beyond the Pentium's among $count"
        failed=$((failed + 1))
    fi
done
echo "cpu: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
