/* Stands in for the system's reg.exe where a test must hold a switch open: it waits until
   the test sets the named event below, then runs the real reg, saved beside it as
   realreg.exe, with its own arguments and output, and ends with its exit code. Without the
   event (no test holds it) it runs the real reg at once. */
#include <string.h>
#include <wchar.h>
#include <windows.h>

static const wchar_t kReleaseEvent[] = L"OmbrelHeldRegRelease";
static const DWORD kLongestHoldMs = 60000; /* a test that died holds nothing forever */

/* The command line after the program's own name. */
static const wchar_t* Arguments(const wchar_t* line) {
    if (*line == L'"') {
        const wchar_t* end = wcschr(line + 1, L'"');
        line = end != NULL ? end + 1 : line + wcslen(line);
    } else {
        while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
    }
    return line;
}

int wmain(void) {
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, kReleaseEvent);
    if (release != NULL) {
        WaitForSingleObject(release, kLongestHoldMs);
        CloseHandle(release);
    }

    /* A 32-bit stand-in in the 64-bit system folder must find its neighbour there. */
    PVOID redirection = NULL;
    Wow64DisableWow64FsRedirection(&redirection);
    wchar_t program[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameW(NULL, program, MAX_PATH);
    while (length > 0 && program[length - 1] != L'\\') --length;
    if (length + wcslen(L"realreg.exe") >= MAX_PATH) return 1;
    wcscpy(program + length, L"realreg.exe");

    static wchar_t commandLine[32768];
    _snwprintf(commandLine, 32767, L"\"%ls\"%ls", program, Arguments(GetCommandLineW()));
    STARTUPINFOW startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(program, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                        &process)) {
        return 1;
    }
    DWORD code = 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}
