/* Stands in for the browser. Registered as the http and https handler with
   "<this program>" "<record file>" "%1", it appends the address it is given to the record
   file as one UTF-8 line, and the id of the process that started it to "<record file>.from",
   each line ended by CR LF and written at once, so that several at once never mix. */
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>
/* After windows.h, which it needs. */
#include <tlhelp32.h>

static DWORD ParentProcessId(void) {
    DWORD parent = 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
}

static BOOL AppendLine(const wchar_t* path, const char* line, DWORD size) {
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line, size, &written, NULL) && written == size;
    CloseHandle(file);
    return ok;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    wchar_t fromPath[MAX_PATH];
    char from[32];
    char line[4096];
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, line, sizeof(line) - 2, NULL, NULL);
    if (size <= 0 || wcslen(argv[1]) + 6 > MAX_PATH) return 3;
    wcscpy(fromPath, argv[1]);
    wcscat(fromPath, L".from");
    memcpy(line + size - 1, "\r\n", 2);
    const int fromSize = snprintf(from, sizeof(from), "%lu\r\n", ParentProcessId());
    /* The starter first: a test that sees the address sees who started it. */
    if (!AppendLine(fromPath, from, (DWORD)fromSize)) return 4;
    return AppendLine(argv[1], line, (DWORD)size + 1) ? 0 : 5;
}
