@echo off
rem Intune Win32 app or Configuration Manager application, uninstall command: turns USB
rem storage on again (every value a disable saved is put back) and removes the copy of
rem ombrel.exe that install.cmd made in Program Files\Ombrel. Runs as SYSTEM.
rem Exit codes: those of "ombrel enable" (0 done, 5, 1603); 1603 when ombrel.exe is
rem nowhere to be found: storage could not be turned on.
setlocal
set "ombrel=%~dp0ombrel.exe"
if not exist "%ombrel%" if defined ProgramW6432 set "ombrel=%ProgramW6432%\Ombrel\ombrel.exe"
if not exist "%ombrel%" if defined ProgramFiles set "ombrel=%ProgramFiles%\Ombrel\ombrel.exe"
if not exist "%ombrel%" (
  echo uninstall: ombrel.exe is neither beside this script nor in Program Files\Ombrel 1>&2
  exit /b 1603
)
"%ombrel%" enable
set "result=%errorlevel%"
if not "%result%"=="0" exit /b %result%
set "target=%ProgramFiles%"
if defined ProgramW6432 set "target=%ProgramW6432%"
del /f /q "%target%\Ombrel\ombrel.exe" 2>nul
rmdir "%target%\Ombrel" 2>nul
exit /b 0
