# Intune Win32 app or Configuration Manager application, detection script: prints one
# line and exits 0 when USB storage is off on this device (scope usb: the USB storage
# driver and, where installed, the UAS driver); otherwise prints nothing and still exits
# 0, which both engines read as "not installed" (a non-zero exit would be an error). Why
# it is not detected goes to standard error. Run as SYSTEM; either PowerShell host.
$candidates = @(Join-Path $PSScriptRoot 'ombrel.exe')
foreach ($root in @($env:ProgramW6432, $env:ProgramFiles)) {
    if ($root) { $candidates += Join-Path $root 'Ombrel\ombrel.exe' }
}
$ombrel = $candidates | Where-Object { Test-Path -LiteralPath $_ -PathType Leaf } |
    Select-Object -First 1
if (-not $ombrel) {
    [Console]::Error.WriteLine('ombrel.exe not found beside this script or in Program Files\Ombrel')
    exit 0
}
$line = & $ombrel check --expect off --scope usb
if ($LASTEXITCODE -eq 0) { Write-Output $line } else { [Console]::Error.WriteLine($line) }
exit 0
