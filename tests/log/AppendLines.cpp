// One of several processes appending to the same log file through the tool's writer:
// log_append_lines FOLDER ID COUNT GATE reports ready on the semaphore GATE-ready, waits
// for the event GATE-go, then writes COUNT lines "process ID line N" and a filler.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "log/LogSaveCloseFile.h"
#include "win/UniqueHandle.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 2;
    const std::wstring gate = argv[4];
    win::UniqueKernelHandle ready(
        ::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (gate + L"-ready").c_str()));
    win::UniqueKernelHandle go(::OpenEventW(SYNCHRONIZE, FALSE, (gate + L"-go").c_str()));
    if (!ready || !go || !::ReleaseSemaphore(ready.Get(), 1, nullptr) ||
        ::WaitForSingleObject(go.Get(), 60000) != WAIT_OBJECT_0) {
        return 3;
    }
    CLogSaveCloseFile writer(std::wstring(argv[1]) + L"\\");
    const int id = _wtoi(argv[2]);
    const int count = _wtoi(argv[3]);
    for (int n = 0; n < count; ++n) {
        writer.SaveText("process " + std::to_string(id) + " line " + std::to_string(n) + " " +
                            std::string(1000, static_cast<char>('a' + id)),
                        "shared.txt");
    }
    return 0;
}
