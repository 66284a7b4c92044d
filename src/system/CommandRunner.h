#pragma once
// Runs one command line through the system's command interpreter with no window and
// collects what it prints.

#include <string>

// Runs "cmd /D /C <command>" and appends its standard output and error, decoded from the
// ANSI code page, to `output`. Returns 1 once the command was started and has ended
// (whatever its own exit status), 0 when it was not started (output untouched): a
// command line that does not fit whole is never started. The command, and whatever it
// starts, is ended once it has run for `timeLimitMs` (60 s in the first form); processes
// it leaves behind are ended when it ends, and the output is what it printed until then.
int RunCommand(std::wstring command, std::wstring& output);
int RunCommand(std::wstring command, std::wstring& output, unsigned long timeLimitMs);
