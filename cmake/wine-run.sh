#!/bin/sh
# Runs a cross-built Windows program under wine: how CTest runs the tests of a
# mingw-w64 build (see mingw-w64.cmake).
#
#   wine-run.sh WINEPREFIX PROGRAM [ARGUMENT...]
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
if [ "${SKERROW_WINE_READY:-}" = "$prefix" ]; then
    exec wine "$@" # the caller started a lasting server for this prefix
fi
mkdir -p "$prefix"
flock -o "$prefix.lock" sh -c '
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot --init && wineserver -w
    fi
    wine cmd /c exit' </dev/null >/dev/null 2>&1
exec wine "$@"
