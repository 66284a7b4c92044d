# Intune remediation, detection script: exit 0 when USB storage is off on this device
# (scope usb: the USB storage driver and, where installed, the UAS driver), exit 1
# otherwise, which starts the remediation. A device without ombrel.exe is never reported
# compliant: it exits 1 with one line saying so. Run as SYSTEM; either PowerShell host.
$candidates = @(Join-Path $PSScriptRoot 'ombrel.exe')
foreach ($root in @($env:ProgramW6432, $env:ProgramFiles)) {
    if ($root) { $candidates += Join-Path $root 'Ombrel\ombrel.exe' }
}
$ombrel = $candidates | Where-Object { Test-Path -LiteralPath $_ -PathType Leaf } |
    Select-Object -First 1
if (-not $ombrel) {
    Write-Output 'ombrel.exe not found beside this script or in Program Files\Ombrel'
    exit 1
}
& $ombrel check --expect off --scope usb
exit $LASTEXITCODE
