#!/usr/bin/env bash
# Runs COMMAND in a copy of the test prefix whose drives are pinned: C:, Z: and A:, mapped
# as a floppy drive, which Wine reports as removable (Wine takes the floppy type for A: and
# B: only; later letters become hard disks). A: stands for a USB stick plugged in now.
#   with-removable-drive.sh COMMAND...
set -euo pipefail
template=$WINEPREFIX
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${template}-drive.XXXXXX")
media=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$media"' EXIT
cp -a "$template/." "$WINEPREFIX/"
find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name c: ! -name z: -exec rm -f {} +
ln -s "$media" "$WINEPREFIX/dosdevices/a:"
wine reg delete 'HKLM\Software\Wine\Drives' /f >/dev/null 2>&1 || true
wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null 2>&1
# Drives are found when Wine starts: begin again, services started away from ctest's pipes.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
