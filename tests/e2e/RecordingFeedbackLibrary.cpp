// A feedback library for the panel's scenarios. It records each call and the thread that
// made it (the address's length for OpenUrl) in "library-calls.txt" beside itself, holds
// its update query until the test sets the event below (at most 10 s), and always finds a
// newer version. It leaves the record's more-tools field without a terminator, as a
// careless library might.

#include <string>

#include "HarvaneFeedbackInformation.h"

namespace {

const wchar_t kReleaseQueryEvent[] = L"OmbrelTestReleaseUpdateQuery";

std::wstring RecordPath() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&RecordPath), &self);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring record(path);
    return record.substr(0, record.rfind(L'\\')) + L"\\library-calls.txt";
}

// One line: the call, a blank and `detail`, by default the calling thread's id.
void Record(const std::string& call, DWORD detail = ::GetCurrentThreadId()) {
    const std::string line = call + " " + std::to_string(detail) + "\r\n";
    HANDLE file = ::CreateFileW(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" {

int WINAPI InitFreedbackDll(ToolInfo* info) {
    for (wchar_t& c : info->moreToolsPage) c = L'm';
    lstrcpyW(info->moreSolutionsPage, L"https://solutions.example/");
    Record("init");
    return 1;
}

int WINAPI OpenUrl(BSTR address) {
    Record("open", ::SysStringLen(address));
    return 1;
}

int WINAPI GetToolIsNewVersion(const wchar_t*, const wchar_t*) {
    Record("query");
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, kReleaseQueryEvent);
    if (release != nullptr) {
        ::WaitForSingleObject(release, 10000);
        ::CloseHandle(release);
    }
    Record("answer");
    return TOOL_VERSION_NEWER;
}

int WINAPI OpenToolDownUrl(void) {
    Record("download");
    return 1;
}

int WINAPI FeedbackQuestion(const wchar_t*, const wchar_t*) { return 1; }
int WINAPI GetInterNetState(void) { return 0; }
int WINAPI CustomerFeedback(const wchar_t*, const wchar_t*, int) { return 1; }
int WINAPI CustomerFeedbackEx(const wchar_t*, const wchar_t*, int, const wchar_t*) { return 1; }
int WINAPI WriteCustomerFeedbackInfoFile(void) { return 1; }
int WINAPI GetToolIsNewVersionDown(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenUseAgreementUrl(void) { return 1; }
}
