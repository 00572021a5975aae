#!/usr/bin/env bash
# Checks that a Windows program imports only functions on the allow-list
# (by default allowlist.txt next to this script) for one Windows version:
# 2000 (the default) or 98, which leaves out the entries marked "2000-only".
#
#   bash tests/imports/check_imports.sh [--windows 98|2000] [--delayed DLL,...] <file.exe|file.dll> [allowlist]
#
# Prints every import that is not on the list as "NOT ALLOWED: DLL!Function"
# (imports by ordinal as "DLL!#ordinal"), then "imports: N passed, N failed"
# (one check per file). Exit status: 0 all allowed, 1 something not allowed or
# the file could not be read.
#
# Delay-loaded imports (read by delay_imports.py beside this script, since
# objdump does not list them) are checked against the same list. With
# --delayed, each named DLL must be delay-loaded only: an ordinary import from
# it would load it at start after all, and is reported as "NOT DELAYED". An
# allow-list given as "-" checks nothing but that (for the 64-bit build, which
# no Windows 2000 list covers).
#
# OBJDUMP may name the objdump to use (default i686-w64-mingw32-objdump, with
# x86_64-w64-mingw32-objdump as a fall-back for 64-bit files); NM likewise.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

delayed_only=
windows=2000
while [ $# -gt 0 ]; do
    case $1 in
        --delayed) delayed_only=${2:-}; shift 2 || true ;;
        --windows) windows=${2:-}; shift 2 || true ;;
        *) break ;;
    esac
done
if [ $# -lt 1 ] || [ $# -gt 2 ] || { [ "$windows" != 98 ] && [ "$windows" != 2000 ]; }; then
    echo "usage: $0 [--windows 98|2000] [--delayed DLL,...] <file.exe|file.dll> [allowlist]" >&2
    exit 1
fi
pe=$1
allowlist=${2:-$here/allowlist.txt}

fail() {
    echo "FAIL $*"
    echo "imports: 0 passed, 1 failed"
    exit 1
}

[ -f "$pe" ] || fail "no such file: $pe"
[ "$allowlist" = "-" ] || [ -f "$allowlist" ] || fail "no allow-list: $allowlist"

dump=
for tool in ${OBJDUMP:-i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump}; do
    command -v "$tool" >/dev/null 2>&1 || continue
    dump=$("$tool" -p "$pe" 2>/dev/null) && break
    dump=
done
[ -n "$dump" ] || fail "objdump could not read $pe"

# Every import as "DLL!Function" or "DLL!#ordinal", from the import tables.
imports=$(printf '%s\n' "$dump" | awk '
    /^The Import Tables/ { inside = 1; next }
    inside && /^[^ \t]/ { inside = 0 }          # the next part of the dump
    !inside { next }
    /^\tDLL Name: / { dll = $3; next }
    # entries: "<tab>vma<tab> hint  name", by ordinal "<tab>8000...<tab> ord  <none>"
    dll != "" && /^\t[0-9a-fA-F]+\t +[0-9]+ / {
        split($0, f, "\t")
        rest = f[3]
        sub(/^ +/, "", rest)
        n = split(rest, w, / +/)
        if (n < 2 || w[2] == "<none>")
            print dll "!#" w[1]
        else if (n >= 2)
            print dll "!" w[2]
    }
')

[ -n "$imports" ] || fail "no imports found in $pe (not a PE file, or the dump format changed)"

# shellcheck disable=SC2086  # NM may name several programs
delay_imports=$(python3 "$here/delay_imports.py" "$pe" ${NM:-i686-w64-mingw32-nm x86_64-w64-mingw32-nm}) ||
    fail "cannot read the delay imports of $pe"
ordinary_imports=$imports
if [ -n "$delay_imports" ]; then
    echo "$(basename "$pe"): delay-loaded: $(printf '%s\n' "$delay_imports" | cut -d'!' -f1 | sort -fu | tr '\n' ' ')"
    imports=$(printf '%s\n%s\n' "$imports" "$delay_imports")
fi

# The allow-list as lower-case DLL name, "!", function, without the entries
# marked for another Windows version. A comment starts with a "#" at the start
# of a line or after white space, so "DLL!#17" stays an entry.
allowed=
[ "$allowlist" = "-" ] || allowed=$(sed -E -e 's/^[[:space:]]*#.*$//' -e 's/[[:space:]]+#.*$//' "$allowlist" |
    awk -v only="$windows-only" '$2 == "" || $2 == only { print $1 }' |
    awk -F'!' 'NF == 2 && $1 != "" && $2 != "" { print tolower($1) "!" $2 }')

dlls=$(printf '%s\n' "$imports" | cut -d'!' -f1 | sort -fu | tr '\n' ' ')
count=$(printf '%s\n' "$imports" | wc -l)
echo "$(basename "$pe"): $count imports from ${dlls% }"
printf '%s\n' "$imports" | grep '!#' | sed 's/^/ordinal import: /'

bad=0
while [ "$allowlist" != "-" ] && IFS= read -r imp; do
    key="$(printf '%s' "${imp%%!*}" | tr '[:upper:]' '[:lower:]')!${imp#*!}"
    printf '%s\n' "$allowed" | grep -qxF -- "$key" && continue
    echo "NOT ALLOWED: $imp"
    bad=$((bad + 1))
done <<<"$imports"

# A DLL that must be delay-loaded only: no ordinary import from it, and at least
# one delayed one (else the name is wrong or the delay-load library is gone).
for want in ${delayed_only//,/ }; do
    lower=$(printf '%s' "$want" | tr '[:upper:]' '[:lower:]')
    undelayed=$(printf '%s\n' "$ordinary_imports" | awk -F'!' -v dll="$lower" 'tolower($1) == dll')
    [ -z "$undelayed" ] || printf '%s\n' "$undelayed" | sed 's/^/NOT DELAYED: /'
    bad=$((bad + $(printf '%s' "$undelayed" | grep -c '^')))
    if ! printf '%s\n' "$delay_imports" | cut -d'!' -f1 | tr '[:upper:]' '[:lower:]' | grep -qxF -- "$lower"; then
        echo "NOT DELAYED: nothing of $want is delay-loaded"
        bad=$((bad + 1))
    fi
done

[ "$bad" -eq 0 ] ||
    fail "$(basename "$pe"): $bad problems among $count imports (list: $(basename "$allowlist")${allowed:+, Windows $windows})"
if [ "$allowlist" = "-" ]; then
    echo "PASS $(basename "$pe"): ${delayed_only:-no DLL} delay-loaded only"
else
    echo "PASS $(basename "$pe"): all $count imports are on $(basename "$allowlist") (Windows $windows)"
fi
echo "imports: 1 passed, 0 failed"
