# Intune remediation, remediation script: turns USB storage off (scope usb: the USB
# storage driver and, where installed, the UAS driver). Exit codes are ombrel's: 0 done,
# 5 access denied, 1603 failed (nothing left changed), 1618 another change in progress;
# 1603 when ombrel.exe is nowhere to be found. Run as SYSTEM; either PowerShell host.
$candidates = @(Join-Path $PSScriptRoot 'ombrel.exe')
foreach ($root in @($env:ProgramW6432, $env:ProgramFiles)) {
    if ($root) { $candidates += Join-Path $root 'Ombrel\ombrel.exe' }
}
$ombrel = $candidates | Where-Object { Test-Path -LiteralPath $_ -PathType Leaf } |
    Select-Object -First 1
if (-not $ombrel) {
    Write-Output 'ombrel.exe not found beside this script or in Program Files\Ombrel'
    exit 1603
}
& $ombrel disable --scope usb
exit $LASTEXITCODE
