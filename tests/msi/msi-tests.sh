#!/usr/bin/env bash
# The MSIs as an administrator's engine uses them, in a prefix of their own: built from this
# build's ombrel.exe (x64, x86, and an x64 of the next version), their tables read with
# msiinfo, installed, upgraded and removed with Wine's msiexec /qn.
#   msi-tests.sh MSI_FOLDER
set -uo pipefail
folder=$1
failures=0
fail() { echo "msi-tests: FAILED: $*"; failures=$((failures + 1)); }
# expect WHAT EXPECTED ACTUAL
expect() { [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"; }

x64=$folder/Ombrel-x64.msi newer=$folder/Ombrel-newer-x64.msi x86=$folder/Ombrel-x86.msi
installed="$WINEPREFIX/drive_c/Program Files/Ombrel"
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Ombrel'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
msiexec() { wine msiexec "$@" /qn </dev/null >/dev/null 2>&1; }
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = $2 = ""; sub(/^ +/, ""); print }'; }
# The display versions of the installed products named Ombrel, one a line.
products() {
  wine reg query "$uninstall" 2>/dev/null | tr -d '\r' | grep '{' | while read -r key; do
    [ "$(value "$key" DisplayName)" = Ombrel ] && value "$key" DisplayVersion
  done
}

# The tables: no custom action, a major upgrade, the version in three fields, the launch
# condition of the x86 package, and no registry value but the event source's two.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
expect "x64 ProductVersion" "ProductVersion	1.0.21517" "$(table "$x64" Property | grep '^ProductVersion')"
expect "x64 UpgradeCode" "UpgradeCode	{12814EAD-62E1-48F1-AFF4-3A6527EEBC14}" \
  "$(table "$x64" Property | grep '^UpgradeCode')"
expect "x86 UpgradeCode" "UpgradeCode	{49F82E01-1F29-4BA1-81B6-9410912BD44A}" \
  "$(table "$x86" Property | grep '^UpgradeCode')"
expect "per machine" "ALLUSERS	1" "$(table "$x64" Property | grep '^ALLUSERS')"
expect "custom actions" "" "$(table "$x64" CustomAction)"
expect "older versions replaced" "{12814EAD-62E1-48F1-AFF4-3A6527EEBC14}		1.0.21517		1		WIX_UPGRADE_DETECTED" \
  "$(table "$x64" Upgrade | grep WIX_UPGRADE_DETECTED)"
expect "x86 refuses 64-bit Windows" "NOT VersionNT64" "$(table "$x86" LaunchCondition | grep -o '^NOT VersionNT64')"
expect "x64 has no such condition" "" "$(table "$x64" LaunchCondition | grep VersionNT64)"
expect "registry values" "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Ombrel EventMessageFile
SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Ombrel TypesSupported" \
  "$(table "$x64" Registry | awk -F'\t' '{ print $3, $4 }' | sort)"

wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\USBSTOR' /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1
msiexec /i "$(winepath -w "$x64")" || fail "msiexec /i of the x64 MSI ended with $?"
for file in ombrel.exe deploy/install.cmd deploy/uninstall.cmd deploy/usb-off-startup.cmd \
  deploy/detect.ps1 deploy/intune-detect.ps1 deploy/intune-remediate.ps1; do
  [ -f "$installed/$file" ] || fail "$file was not installed"
done
status=$(wine "$installed/ombrel.exe" status </dev/null | tr -d '\r') || fail "the installed ombrel.exe did not run"
expect "status from the installed program" "usb=on usbstor=3" "$(echo "$status" | cut -d' ' -f1-2)"
expect "event message file" 'C:\Program Files\Ombrel\ombrel.exe' "$(value "$source_key" EventMessageFile)"
expect "event types" "0x7" "$(value "$source_key" TypesSupported)"
expect "USB storage untouched by installing" "0x3" \
  "$(value 'HKLM\SYSTEM\CurrentControlSet\Services\USBSTOR' Start)"
wine reg query 'HKLM\SOFTWARE\Ombrel' >/dev/null 2>&1 && fail "the MSI wrote under HKLM\\SOFTWARE\\Ombrel"
expect "one product" "1.0.21517" "$(products)"

msiexec /i "$(winepath -w "$x64")" || fail "installing the same MSI again ended with $?"
expect "still one product" "1.0.21517" "$(products)"
msiexec /i "$(winepath -w "$newer")" || fail "installing the next version ended with $?"
expect "the older replaced" "1.0.21518" "$(products)"
msiexec /i "$(winepath -w "$x86")" && fail "the x86 MSI installed on 64-bit Windows"
expect "the x86 MSI left it alone" "1.0.21518" "$(products)"

msiexec /x "$(winepath -w "$newer")" || fail "msiexec /x ended with $?"
[ -e "$installed" ] && fail "$installed is still there after the uninstall"
wine reg query "$source_key" >/dev/null 2>&1 && fail "the event source is still registered"
expect "no product left" "" "$(products)"
expect "USB storage untouched by removing" "0x3" \
  "$(value 'HKLM\SYSTEM\CurrentControlSet\Services\USBSTOR' Start)"

[ "$failures" = 0 ] && echo "msi-tests: passed" || exit 1
