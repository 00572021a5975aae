# Sourced by the scripts that start Wine. Debian's `wine` (and `wine-stable`, which
# wineboot, winepath and the other tools start) runs the 32-bit loader whenever 32-bit
# Wine is installed, also for a 64-bit program. On a kernel whose 32-bit emulation is
# off that loader cannot start at all ("Exec format error"), so nothing would run.
#
#   pelto_wine_env FOLDER
#
# checks whether 32-bit programs start here. Where they cannot, it puts commands
# `wine` and `wine-stable` that start the 64-bit loader into FOLDER, puts FOLDER first
# on PATH, and sets PELTO_WINE_BIN to FOLDER and PELTO_NO_32BIT to the reason
# (exported; both empty where 32-bit programs start).
pelto_wine_env() {
    local folder=$1 loader=/usr/lib/wine/wine loader64=/usr/lib/wine/wine64 status name
    PELTO_NO_32BIT=""
    PELTO_WINE_BIN=""
    export PELTO_NO_32BIT PELTO_WINE_BIN
    # Without 32-bit Wine the 64-bit loader is the one `wine` starts anyway.
    [ -e "$loader" ] && [ -x "$loader64" ] || return 0
    status=0
    "$loader" --version >/dev/null 2>&1 || status=$?
    # 126: the kernel refused to start the program (any other answer: it ran).
    [ "$status" = 126 ] || return 0
    PELTO_NO_32BIT="this machine's kernel starts no 32-bit programs (its 32-bit emulation is off: \"Exec format error\")"
    mkdir -p "$folder" || return 1
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec %s "$@"\n' "$loader64" >"$folder/$name" && chmod +x "$folder/$name" || return 1
    done
    PELTO_WINE_BIN=$folder
    PATH="$folder:$PATH"
    export PATH
}
