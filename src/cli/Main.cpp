// ombrel.exe: USB storage off and on for scripts and deployment engines. No window, no
// elevation prompt: it runs as whoever starts it and says what it did in its exit code.

#include "cli/OmbrelCommand.h"
#include "log/LogSave.h"
#include "log/LogText.h"
#include "system/LibrarySearch.h"

int wmain(int argc, wchar_t** argv) {
    // Run as SYSTEM or elevated, often from a deployment folder: the log's shell functions
    // and whatever the system loads on demand come from the system folder only.
    RestrictLibrarySearch();
    const std::vector<std::wstring> words(argv + 1, argv + argc);
    MachineRegistry registry;
    SystemVolumes volumes;
    StandardOutput out(STD_OUTPUT_HANDLE);
    StandardOutput err(STD_ERROR_HANDLE);
    OmbrelContext context{registry,
                          volumes,
                          out,
                          err,
                          [](const std::wstring& line) {
                              CLogSave::GetInstance()->WriteLog(ToLogText(line), "Ombrel.txt",
                                                                true);
                          },
                          30000,
                          &ReportToEventLog};
    return RunOmbrel(words, context);
}
