/* A child for the command runner's tests, with a life span of its choosing:
 *   hold MS MARKER     waits MS milliseconds, then creates MARKER (so it shows whether the
 *                      wait was cut short)
 *   linger MS MARKER   prints "pid <its own id>", then holds
 *   spawn MS MARKER    starts "hold MS MARKER" on the same standard output, prints
 *                      "pid <its id>" and ends at once, leaving it behind
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static void Write(const char* bytes, DWORD size) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, size, &written, NULL);
}

static void WritePid(DWORD pid) {
    char text[32];
    int length = snprintf(text, sizeof(text), "pid %lu\r\n", (unsigned long)pid);
    Write(text, (DWORD)length);
}

static int Hold(const char* ms, const char* marker) {
    Sleep((DWORD)atoi(ms));
    CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return 0;
}

static int Spawn(const char* ms, const char* marker) {
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, MAX_PATH);
    char line[1024];
    snprintf(line, sizeof(line), "\"%s\" hold %s %s", self, ms, marker);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION child;
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) return 2;
    WritePid(child.dwProcessId);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    if (strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
    if (strcmp(argv[1], "spawn") == 0) return Spawn(argv[2], argv[3]);
    if (strcmp(argv[1], "linger") == 0) {
        WritePid(GetCurrentProcessId());
        return Hold(argv[2], argv[3]);
    }
    return 2;
}
