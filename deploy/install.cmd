@echo off
rem Intune Win32 app or Configuration Manager application, install command: copies
rem ombrel.exe from beside this script into the 64-bit Program Files\Ombrel (where the
rem detection and remediation scripts look for it) and turns USB storage off, scope usb:
rem the USB storage driver and, where installed, the UAS driver. Runs as SYSTEM.
rem Use this script or the MSI on a machine, not both.
rem Exit codes: those of "ombrel disable --pending-exit 3010" (0 done, 3010 done but a
rem plugged-in drive works until re-plugged, 5, 1603); 1603 when ombrel.exe is missing
rem beside this script or cannot be copied.
setlocal
if not exist "%~dp0ombrel.exe" (
  echo install: ombrel.exe is not beside this script 1>&2
  exit /b 1603
)
set "target=%ProgramFiles%"
if defined ProgramW6432 set "target=%ProgramW6432%"
mkdir "%target%\Ombrel" 2>nul
copy /y "%~dp0ombrel.exe" "%target%\Ombrel\ombrel.exe" >nul
if errorlevel 1 exit /b 1603
"%target%\Ombrel\ombrel.exe" disable --pending-exit 3010
exit /b %errorlevel%
