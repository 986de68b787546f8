#!/usr/bin/env bash
# Runs a Windows test program under Wine in a prefix of its own whose display
# resolution is DPI dots per inch, and stops that prefix's wineserver after:
#   run_at_dpi.sh DPI PREFIX PROGRAM.exe [ARGS...]
# The prefix is made on first use. The program is told the resolution to
# expect through ORVANTA_EXPECT_DPI.
set -euo pipefail
dpi=$1 prefix=$2
shift 2
export WINEPREFIX=$prefix
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=d}"
export ORVANTA_EXPECT_DPI=$dpi
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT

# Everything that starts the prefix's background processes runs with its
# output on /dev/null: they would otherwise hold ctest's pipe open.
quiet() { "$@" </dev/null >/dev/null 2>&1; }
if [[ ! -f $prefix/system.reg ]]; then
  mkdir -p "$(dirname "$prefix")"
  quiet wineboot -i
fi
quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
quiet wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f
wine "$@"
