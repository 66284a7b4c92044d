#!/usr/bin/env bash
# Runs one group of end-to-end scenarios in a fresh copy of the test prefix, set to the
# screen DPI and Windows version the group needs:
#   run-group.sh DPI VERSION COMMAND...
set -euo pipefail
dpi=$1 version=$2
shift 2
template=$WINEPREFIX
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${template}-e2e.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
cp -a "$template/." "$WINEPREFIX/"
# Drive letters C: and Z: only: a drive Wine finds on the host must not change a notice.
find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 -name "?:" ! -name c: ! -name z: -exec rm -f {} +
wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The DPI is read when Wine starts: begin again with a server of the group's own, its
# services started away from ctest's output pipes.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
