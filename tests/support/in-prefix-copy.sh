#!/usr/bin/env bash
# Runs COMMAND in a fresh copy of the test prefix, with only the drives C: and Z: (a drive
# Wine finds on the host must not change a notice), set to the screen DPI and Windows
# version given; with --removable-a, A: is mapped as a floppy drive, which Wine reports as
# removable (it takes that type for A: and B: only): a USB stick plugged in now.
#   in-prefix-copy.sh [--dpi N] [--version V] [--removable-a] COMMAND...
set -euo pipefail
dpi="" version="" removable=""
while true; do
  case "$1" in
    --dpi) dpi=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --removable-a) removable=1; shift ;;
    *) break ;;
  esac
done
template=$WINEPREFIX
# The template's server holds the registry's latest changes (earlier tests') in memory:
# ending it writes them to the files copied below.
wineserver -k 2>/dev/null || true
wineserver -w
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${template}-copy.XXXXXX")
media=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$media"' EXIT
cp -a "$template/." "$WINEPREFIX/"
if [ -n "$removable" ]; then
  find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name c: ! -name z: -exec rm -f {} +
  ln -s "$media" "$WINEPREFIX/dosdevices/a:"
  wine reg delete 'HKLM\Software\Wine\Drives' /f >/dev/null 2>&1 || true
  wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null 2>&1
else
  find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 -name "?:" ! -name c: ! -name z: -exec rm -f {} +
fi
[ -z "$version" ] || wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
[ -z "$dpi" ] || wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# Drives and DPI are read when Wine starts: begin again with a server of this copy's own,
# its services started away from ctest's output pipes.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
