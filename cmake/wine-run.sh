#!/bin/sh
# Runs a cross-built Windows program under wine: how CTest runs the tests of a
# mingw-w64 build (see mingw-w64.cmake).
#
#   wine-run.sh WINEPREFIX PROGRAM [ARGUMENT...]
#   wine-run.sh WINEPREFIX          only makes the prefix (or makes it anew)
#
# Wine starts its server and services with the first program of a prefix, and
# they outlive it. Started by a test, they would hold the test's output pipes
# open, and whoever reads them (CTest, execute_process) would wait forever. So
# they are started here first, with no pipe of the caller, one test at a time
# (flock -o: nor do they keep the lock). A caller that started a lasting
# server for the prefix itself (wineserver -p) says so with
# SKERROW_WINE_READY=WINEPREFIX, and each test is spared that step.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A prefix made while only 64-bit wine was installed runs nothing once the
# 32-bit half is added (kernel32.dll no longer loads), so the prefix notes
# the wine it was made by and is made anew when that changes.
make_prefix() {
    made_by="$(wine --version) $(echo /usr/lib/*/wine)"
    if [ -f "$prefix/system.reg" ] && [ "$(cat "$prefix/made-by" 2>/dev/null)" = "$made_by" ]; then
        return 0
    fi
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    wineboot --init
    wineserver -w
    printf '%s\n' "$made_by" >"$prefix/made-by"
}

case "${1:-}" in
"")
    make_prefix 2>&1 | grep -v syswow64 || true
    exit 0
    ;;
--start-services)
    make_prefix
    wine cmd /c exit
    exit 0
    ;;
esac
if [ "${SKERROW_WINE_READY:-}" != "$prefix" ]; then
    flock -o "$prefix.lock" "$0" "$prefix" --start-services </dev/null >/dev/null 2>&1
fi
exec wine "$@"
