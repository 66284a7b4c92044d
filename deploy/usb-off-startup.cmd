@echo off
rem Group Policy start-up script: turns USB storage off at every start of the machine.
rem Scope usb (the default): the USB storage driver and, where installed, the UAS driver.
rem Storage already off changes nothing. Runs as SYSTEM before anyone logs on.
rem Computer Configuration > Policies > Windows Settings > Scripts (Startup/Shutdown) >
rem Startup; put ombrel.exe beside this script in the policy's folder.
rem Exit codes: those of "ombrel disable"; 2 when ombrel.exe is nowhere to be found.
setlocal
set "ombrel=%~dp0ombrel.exe"
if not exist "%ombrel%" if defined ProgramW6432 set "ombrel=%ProgramW6432%\Ombrel\ombrel.exe"
if not exist "%ombrel%" if defined ProgramFiles set "ombrel=%ProgramFiles%\Ombrel\ombrel.exe"
if not exist "%ombrel%" (
  echo usb-off-startup: ombrel.exe is neither beside this script nor in Program Files\Ombrel 1>&2
  exit /b 2
)
"%ombrel%" disable
exit /b %errorlevel%
